#include "ora_handle.hpp"

#include <utility>

ora_handle::ora_handle(const ora_oci_calls& oci, void* pointer, ub4 type, kind what,
                       std::shared_ptr<const ora_handle> environment)
    : oci_(&oci), pointer_(pointer), type_(type), kind_(what), environment_(std::move(environment)) {}

ora_handle::~ora_handle() { reset(); }

ora_handle::ora_handle(ora_handle&& other) noexcept
    : oci_(other.oci_),
      pointer_(std::exchange(other.pointer_, nullptr)),
      type_(other.type_),
      kind_(other.kind_),
      environment_(std::move(other.environment_)) {}

ora_handle& ora_handle::operator=(ora_handle&& other) noexcept {
  if (this != &other) {
    reset();
    oci_ = other.oci_;
    pointer_ = std::exchange(other.pointer_, nullptr);
    type_ = other.type_;
    kind_ = other.kind_;
    environment_ = std::move(other.environment_);
  }
  return *this;
}

// The handle goes before the environment reference is dropped, so the
// environment is freed last even when this held the last reference.
void ora_handle::reset() noexcept {
  if (pointer_) {
    if (kind_ == kind::descriptor)
      oci_->OCIDescriptorFree(pointer_, type_);
    else
      oci_->OCIHandleFree(pointer_, type_);
    pointer_ = nullptr;
  }
  environment_.reset();
}
