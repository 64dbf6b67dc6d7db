#include "server/rate_limiter.h"

#include <algorithm>
#include <functional>

namespace hexwend::server {

RateLimiter::RateLimiter(double ratePerSecond, double burst, std::size_t maxAddresses)
    : rate_(ratePerSecond), burst_(std::max(burst, 1.0)), maxPerShard_(std::max<std::size_t>(maxAddresses / kShards, 1)) {}

bool RateLimiter::allow(std::string_view address, Clock::time_point now) {
    if (rate_ <= 0) return true;
    Shard& shard = shards_[std::hash<std::string_view>{}(address) % kShards];
    std::lock_guard lock(shard.mutex);
    auto it = shard.buckets.find(std::string(address));
    if (it == shard.buckets.end()) {
        if (shard.buckets.size() >= maxPerShard_) forgetFull(shard, now);
        // Every known address is still busy: one of them makes room, so that a crowd of
        // addresses cannot lock newcomers out.
        if (shard.buckets.size() >= maxPerShard_) shard.buckets.erase(shard.buckets.begin());
        it = shard.buckets.emplace(std::string(address), Bucket{burst_, now}).first;
    }
    Bucket& b = it->second;
    double elapsed = std::chrono::duration<double>(now - b.last).count();
    b.tokens = std::min(burst_, b.tokens + std::max(elapsed, 0.0) * rate_);
    b.last = now;
    if (b.tokens < 1) return false;
    b.tokens -= 1;
    return true;
}

void RateLimiter::forgetFull(Shard& shard, Clock::time_point now) {
    std::erase_if(shard.buckets, [&](const auto& entry) {
        double elapsed = std::chrono::duration<double>(now - entry.second.last).count();
        return entry.second.tokens + elapsed * rate_ >= burst_;
    });
}

} // namespace hexwend::server
