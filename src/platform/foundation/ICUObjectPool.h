#pragma once
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plat::detail {

// Idle ICU objects kept for reuse, by key (a locale and a pattern, say):
// making a date format costs ICU tens of microseconds, using one about one.
// An object is lent to one user at a time, who may change it, and comes back
// when the loan ends. At most kMaximumIdle objects wait, under as many
// keys; one more empties the pool. Any thread.
template <typename Object> class ICUObjectPool {
public:
    static constexpr size_t kMaximumIdle = 64;

    class Loan {
    public:
        Loan(ICUObjectPool& pool, std::string key, std::unique_ptr<Object> object)
            : _pool(&pool)
            , _key(std::move(key))
            , _object(std::move(object))
        {
        }
        Loan(Loan&&) noexcept = default;
        Loan& operator=(Loan&&) = delete;
        Loan(const Loan&) = delete;
        Loan& operator=(const Loan&) = delete;
        ~Loan()
        {
            if (_object)
                _pool->giveBack(std::move(_key), std::move(_object));
        }

        Object& operator*() const { return *_object; }
        Object* operator->() const { return _object.get(); }

    private:
        ICUObjectPool* _pool;
        std::string _key;
        std::unique_ptr<Object> _object;
    };

    // An idle object of the key, or a new one from make(key), which runs
    // outside the pool's lock.
    template <typename Make> Loan lend(std::string key, Make&& make)
    {
        {
            std::lock_guard lock(_lock);
            if (auto idle = _idle.find(key); idle != _idle.end()) {
                std::unique_ptr<Object> object = std::move(idle->second.back());
                idle->second.pop_back();
                if (idle->second.empty())
                    _idle.erase(idle);
                --_idleCount;
                return Loan(*this, std::move(key), std::move(object));
            }
        }
        std::unique_ptr<Object> object = make(std::as_const(key));
        return Loan(*this, std::move(key), std::move(object));
    }

private:
    void giveBack(std::string key, std::unique_ptr<Object> object)
    {
        // Objects dropped here are destroyed after the lock is released.
        std::map<std::string, std::vector<std::unique_ptr<Object>>, std::less<>> dropped;
        std::lock_guard lock(_lock);
        if (_idleCount >= kMaximumIdle) {
            // More keys in use than the pool keeps: start afresh with the ones used from now on.
            dropped.swap(_idle);
            _idleCount = 0;
        }
        _idle[std::move(key)].push_back(std::move(object));
        ++_idleCount;
    }

    std::mutex _lock;
    // Keys with no idle object are removed. Guarded by _lock.
    std::map<std::string, std::vector<std::unique_ptr<Object>>, std::less<>> _idle;
    size_t _idleCount = 0;  // guarded by _lock
};

}  // namespace plat::detail
