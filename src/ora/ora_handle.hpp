// One OCI handle or descriptor with what it takes to free it: the call table
// it came from and the environment it was allocated from, which it keeps
// alive until it is freed itself. So an owner that outlives the engine still
// frees its handle before the environment goes, and never needs the engine
// to do it. The destructor never raises.
#pragma once

#include <memory>

#include "ora_oci.hpp"

class ora_handle {
 public:
  enum class kind { handle, descriptor };

  ora_handle() = default;
  // Takes over `pointer` (null: owns nothing), freed as `type` of `what`.
  // `environment` is the owner of the environment it belongs to, null for
  // the environment itself.
  ora_handle(const ora_oci_calls& oci, void* pointer, ub4 type, kind what,
             std::shared_ptr<const ora_handle> environment);
  ~ora_handle();
  ora_handle(ora_handle&& other) noexcept;
  ora_handle& operator=(ora_handle&& other) noexcept;
  ora_handle(const ora_handle&) = delete;
  ora_handle& operator=(const ora_handle&) = delete;

  // Frees the handle now (once); the owner is empty afterwards.
  void reset() noexcept;

  void* get() const { return pointer_; }
  template <typename T>
  T* as() const { return static_cast<T*>(pointer_); }
  // Where OCI writes or reads the pointer (defines of locators and
  // descriptors take its address).
  void** address() { return &pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

 private:
  const ora_oci_calls* oci_ = nullptr;
  void* pointer_ = nullptr;
  ub4 type_ = 0;
  kind kind_ = kind::handle;
  std::shared_ptr<const ora_handle> environment_;
};
