#pragma once
// A flag that is set for as long as one piece of work runs and cleared however it ends, for
// work that lets the message loop run and must not be started again meanwhile.
namespace kestrian::core {

class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = false; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace kestrian::core
