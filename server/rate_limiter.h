// A token bucket per client address: each address may send `burst` requests at once and then
// `rate` per second. Addresses whose bucket has filled again are forgotten when the table
// grows, so memory stays bounded however many addresses come by.
#pragma once

#include <array>
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace hexwend::server {

class RateLimiter {
public:
    using Clock = std::chrono::steady_clock;

    // A rate of 0 or less lets everything through.
    RateLimiter(double ratePerSecond, double burst, std::size_t maxAddresses = 1 << 16);

    // Takes one token from the address's bucket; false when it is empty.
    bool allow(std::string_view address, Clock::time_point now = Clock::now());

private:
    struct Bucket {
        double tokens = 0;
        Clock::time_point last;
    };
    struct Shard {
        std::mutex mutex;
        std::unordered_map<std::string, Bucket> buckets;
    };
    static constexpr std::size_t kShards = 16;

    void forgetFull(Shard& shard, Clock::time_point now);

    double rate_;
    double burst_;
    std::size_t maxPerShard_;
    std::array<Shard, kShards> shards_;
};

} // namespace hexwend::server
