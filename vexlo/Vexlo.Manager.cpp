#include "vexlo/Vexlo.Manager.h"

namespace vexlo {

namespace {
std::shared_ptr<IVexloManager>& Holder() {
  static std::shared_ptr<IVexloManager> manager;
  return manager;
}
}  // namespace

IVexloManager* VexloManager() {
  return Holder().get();
}

void SetVexloManager(std::shared_ptr<IVexloManager> AManager) {
  Holder() = std::move(AManager);
}

}  // namespace vexlo
