// The client's call table with its allocations watched: every handle and
// descriptor made (environment, handles, descriptors, column describes) is
// remembered until it is freed, a free of something not made (or freed
// twice) is counted, and the Nth allocation can be made to fail the way a
// client does when it runs out of memory.
#pragma once

#include <set>

#include "ora_oci.hpp"

class ora_counting_calls {
 public:
  // Watches `real`; returns the table to hand to the engine.
  static ora_oci_calls over(const ora_oci_calls& real) {
    real_ = &real;
    reset();
    ora_oci_calls calls = real;
    calls.OCIEnvNlsCreate = env_create;
    calls.OCIHandleAlloc = handle_alloc;
    calls.OCIDescriptorAlloc = descriptor_alloc;
    calls.OCIParamGet = param_get;
    calls.OCIHandleFree = handle_free;
    calls.OCIDescriptorFree = descriptor_free;
    return calls;
  }

  static void reset() {
    live.clear();
    attempts = fail_at = bad_frees = 0;
    environment = nullptr;
    environment_freed_early = false;
  }

  // Handles and descriptors made and not yet freed.
  static inline std::set<void*> live;
  // Allocations tried so far; the one numbered fail_at (from 1) fails.
  static inline int attempts = 0, fail_at = 0;
  // Frees of pointers that were not live.
  static inline int bad_frees = 0;
  // The environment was freed while something made from it was live.
  static inline bool environment_freed_early = false;

 private:
  static bool fails() { return ++attempts == fail_at; }

  static sword made(sword status, void** pointer) {
    if (status == oci::success && *pointer) live.insert(*pointer);
    return status;
  }

  static sword freed(void* pointer) {
    if (live.erase(pointer) == 0) ++bad_frees;
    if (pointer == environment && !live.empty()) environment_freed_early = true;
    return oci::success;
  }

  static sword env_create(OCIEnv** env, ub4 mode, void* context, void* (*m)(void*, std::size_t),
                          void* (*r)(void*, void*, std::size_t), void (*f)(void*, void*),
                          std::size_t extra, void** memory, ub2 charset, ub2 ncharset) {
    sword status = real_->OCIEnvNlsCreate(env, mode, context, m, r, f, extra, memory, charset, ncharset);
    environment = *env;
    return made(status, reinterpret_cast<void**>(env));
  }

  static sword handle_alloc(const void* parent, void** handle, ub4 type, std::size_t extra, void** memory) {
    if (fails()) return oci::invalid_handle;
    return made(real_->OCIHandleAlloc(parent, handle, type, extra, memory), handle);
  }

  static sword descriptor_alloc(const void* parent, void** descriptor, ub4 type, std::size_t extra,
                                void** memory) {
    if (fails()) return oci::invalid_handle;
    return made(real_->OCIDescriptorAlloc(parent, descriptor, type, extra, memory), descriptor);
  }

  static sword param_get(const void* handle, ub4 type, OCIError* error, void** parameter, ub4 position) {
    return made(real_->OCIParamGet(handle, type, error, parameter, position), parameter);
  }

  static sword handle_free(void* handle, ub4 type) {
    freed(handle);
    return real_->OCIHandleFree(handle, type);
  }

  static sword descriptor_free(void* descriptor, ub4 type) {
    freed(descriptor);
    return real_->OCIDescriptorFree(descriptor, type);
  }

  static inline const ora_oci_calls* real_ = nullptr;
  static inline void* environment = nullptr;
};
