# Shared helpers for the Tamblo scripts. Source it; do not run it.
set -euo pipefail

TAMBLO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Lets ccache reuse objects between clones in different folders.
export CCACHE_BASEDIR="$TAMBLO_ROOT"
TAMBLO_SYSDBA_PASSWORD="plumtree7"
TAMBLO_FB_PORT=3050

# Debian packages every build, run and test needs.
TAMBLO_PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  firebird3.0-server firebird3.0-utils firebird-dev libfbclient2
  qt6-base-dev libasio-dev libssl-dev openssl nlohmann-json3-dev libsimpleini-dev
  libgtest-dev libgmock-dev xvfb xauth fonts-dejavu-core libpng-dev
  clang libclang-rt-14-dev
  chromium
)

log() { printf '[tamblo] %s\n' "$*" >&2; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the Debian packages that are missing; does nothing when all are there.
install_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing: ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Node.js and npm install the browser libraries and the browser-test driver.
# The machines come with Node.js; Debian's packages are the fallback.
ensure_node() {
  command -v node >/dev/null 2>&1 && command -v npm >/dev/null 2>&1 && return 0
  install_packages nodejs npm
}

# Installs the npm packages pinned in DIR/package-lock.json (DIR relative to
# the repository) with npm ci, unless DIR/node_modules already holds exactly
# that package.json and lock.
npm_ci() {
  local dir="$TAMBLO_ROOT/$1" sum
  sum="$(cat "$dir/package.json" "$dir/package-lock.json" | sha256sum | cut -d' ' -f1)"
  if [ "$(cat "$dir/node_modules/.tamblo-installed" 2>/dev/null)" = "$sum" ]; then
    return 0
  fi
  log "installing the npm packages of $1"
  # One more try after a pause: a registry hiccup should not fail a build.
  (cd "$dir" && { npm ci --no-audit --no-fund --loglevel=error >/dev/null ||
    { sleep 5; npm ci --no-audit --no-fund --loglevel=error >/dev/null; }; })
  echo "$sum" >"$dir/node_modules/.tamblo-installed"
}

# copy_if_changed SRC DEST: copies when DEST is missing or differs.
copy_if_changed() {
  cmp -s "$1" "$2" 2>/dev/null && return 0
  mkdir -p "$(dirname "$2")"
  cp "$1" "$2"
}

# The browser libraries (assets/, built into the program), Bootstrap and Font
# Awesome under the web root (served as static files), and the browser-test
# driver (tests/e2e/).
install_web_dependencies() {
  ensure_node
  npm_ci assets
  local nm="$TAMBLO_ROOT/assets/node_modules" www="$TAMBLO_ROOT/wwwroot" f
  copy_if_changed "$nm/bootstrap/dist/css/bootstrap.min.css" "$www/css/bootstrap.min.css"
  copy_if_changed "$nm/bootstrap/dist/js/bootstrap.bundle.min.js" "$www/js/bootstrap.bundle.min.js"
  copy_if_changed "$nm/@fortawesome/fontawesome-free/css/all.min.css" "$www/css/all.min.css"
  for f in "$nm/@fortawesome/fontawesome-free/webfonts/"*; do
    copy_if_changed "$f" "$www/webfonts/$(basename "$f")"
  done
  if [ -f "$TAMBLO_ROOT/tests/e2e/package-lock.json" ]; then
    npm_ci tests/e2e
  fi
}

# nginx for the deployment test, the benchmarks and deploy/install. The
# package would start its own service on port 80 at once; it is kept from
# doing so, the scripts and the administrator start it themselves.
install_nginx() {
  command -v nginx >/dev/null && return 0
  local policy=/usr/sbin/policy-rc.d made_policy=0
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' | as_root tee "$policy" >/dev/null
    as_root chmod 755 "$policy"
    made_policy=1
  fi
  install_packages nginx || { [ "$made_policy" = 1 ] && as_root rm -f "$policy"; return 1; }
  [ "$made_policy" = 1 ] && as_root rm -f "$policy"
  return 0
}

firebird_listening() {
  (exec 3<>/dev/tcp/127.0.0.1/$TAMBLO_FB_PORT) 2>/dev/null
}

# Starts the Firebird server on 127.0.0.1:3050 (no systemd here) and sets SYSDBA's
# password. Reuses a server that is already running.
start_firebird() {
  if ! firebird_listening; then
    log "starting the Firebird server"
    as_root mkdir -p /run/firebird3.0
    as_root chown firebird:firebird /run/firebird3.0
    as_root su -s /bin/sh firebird -c '/usr/sbin/fbguard -daemon -forever'
    local i
    for i in $(seq 1 100); do
      firebird_listening && break
      sleep 0.1
    done
    firebird_listening || { log "the Firebird server did not start"; return 1; }
  fi
  set_sysdba_password
}

fb_isql() { isql-fb -q "$@"; }

# Sets SYSDBA's password to the one the data module uses. The package writes a
# random first password to SYSDBA.password; a scratch database opened with it
# lets us change it.
set_sysdba_password() {
  local probe=/tmp/tamblo-firebird/password-probe.fdb
  as_root mkdir -p /tmp/tamblo-firebird
  as_root chown firebird:firebird /tmp/tamblo-firebird
  as_root chmod 0777 /tmp/tamblo-firebird
  if [ ! -e "$probe" ]; then
    local pw
    pw="$(. /etc/firebird/3.0/SYSDBA.password 2>/dev/null; echo "${ISC_PASSWORD:-}")"
    local p
    for p in "$TAMBLO_SYSDBA_PASSWORD" "$pw" masterkey; do
      [ -n "$p" ] || continue
      if printf "CREATE DATABASE '127.0.0.1/%s:%s' USER 'SYSDBA' PASSWORD '%s';\n" \
          "$TAMBLO_FB_PORT" "$probe" "$p" | fb_isql >/dev/null 2>&1; then
        break
      fi
    done
  fi
  local p
  for p in "$TAMBLO_SYSDBA_PASSWORD" "$(. /etc/firebird/3.0/SYSDBA.password 2>/dev/null; echo "${ISC_PASSWORD:-}")" masterkey; do
    [ -n "$p" ] || continue
    if printf "ALTER USER SYSDBA PASSWORD '%s';\nCOMMIT;\n" "$TAMBLO_SYSDBA_PASSWORD" |
        fb_isql -user SYSDBA -password "$p" "127.0.0.1/$TAMBLO_FB_PORT:$probe" >/dev/null 2>&1; then
      return 0
    fi
  done
  log "could not set the SYSDBA password"
  return 1
}

# Configures and builds a build directory: build_tree DIR [cmake args...]
build_tree() {
  local dir="$1"; shift
  if [ ! -f "$TAMBLO_ROOT/$dir/build.ninja" ]; then
    cmake -S "$TAMBLO_ROOT" -B "$TAMBLO_ROOT/$dir" -G Ninja "$@" >/dev/null
  else
    cmake "$TAMBLO_ROOT/$dir" "$@" >/dev/null
  fi
  cmake --build "$TAMBLO_ROOT/$dir"
}
