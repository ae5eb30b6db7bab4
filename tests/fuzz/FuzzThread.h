// Runs a fuzz input on a thread with a server connection thread's stack, so
// that deep recursion overflows here exactly where it would on the server
// (libFuzzer itself runs on the large main stack).
#pragma once

#include <pthread.h>

#include <cstdlib>

#include "platform/net/TCPServer.h"

namespace fuzzthread {

template <class F>
void* Trampoline(void* AProc) {
  (*static_cast<F*>(AProc))();
  return nullptr;
}

template <class F>
void OnConnectionThread(F AProc) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, net::kConnectionThreadStack);
  pthread_t thread;
  if (pthread_create(&thread, &attr, &Trampoline<F>, &AProc) != 0) std::abort();
  pthread_attr_destroy(&attr);
  pthread_join(thread, nullptr);
}

}  // namespace fuzzthread
