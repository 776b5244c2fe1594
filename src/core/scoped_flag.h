#pragma once
// A flag that is set for as long as one piece of work runs and put back however it ends: for
// work that lets the message loop run and must not be started again meanwhile, and for work
// whose side effects others must tell from their own.
namespace kestrian::core {

class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = previous_; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
  bool previous_;
};

}  // namespace kestrian::core
