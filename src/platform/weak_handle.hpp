#pragma once

#include <memory>

namespace zerlith::platform {

/// A way back to an object from work that finishes later on the main queue. The object holds a
/// WeakHandle to itself; a callback keeps a `weak()` copy and asks `get()`, which is null once the
/// object is gone. The handle is made, and `get()` asked, on the main thread; copies of `weak()`
/// may travel through any queue.
template <class T>
class WeakHandle {
public:
    class Weak {
    public:
        T* get() const {
            const auto alive = alive_.lock();
            return alive ? *alive : nullptr;
        }

    private:
        friend class WeakHandle;
        explicit Weak(std::weak_ptr<T*> alive) : alive_(std::move(alive)) {}
        std::weak_ptr<T*> alive_;
    };

    explicit WeakHandle(T* owner) : alive_(std::make_shared<T*>(owner)) {}
    /// Gone before the rest of the owner: declare it as the owner's last member.
    ~WeakHandle() { *alive_ = nullptr; }
    WeakHandle(const WeakHandle&) = delete;
    WeakHandle& operator=(const WeakHandle&) = delete;

    Weak weak() const { return Weak(alive_); }

private:
    std::shared_ptr<T*> alive_;
};

}  // namespace zerlith::platform
