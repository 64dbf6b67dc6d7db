#include "server/api_query.h"

#include "server/codec.h"
#include "server/games.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace hexwend::server {

namespace {

// Decimal digits; numbers of more than nine digits read as 1,000,000,000.
std::optional<long long> parseNumber(std::string_view text) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    if (text.size() > 9) return 1'000'000'000LL;
    long long v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

} // namespace

std::variant<ApiQuery, ApiError> parseApiQuery(std::string_view rawQuery) {
    std::optional<std::string> game, type, limit;
    while (!rawQuery.empty()) {
        std::size_t amp = rawQuery.find('&');
        std::string_view param = rawQuery.substr(0, amp);
        rawQuery = amp == std::string_view::npos ? std::string_view{} : rawQuery.substr(amp + 1);
        std::size_t eq = param.find('=');
        std::string_view key = param.substr(0, eq);
        std::optional<std::string>* slot = key == "game" ? &game : key == "type" ? &type : key == "limit" ? &limit : nullptr;
        if (!slot) continue; // unknown keys (cache breakers and the like) are ignored
        if (*slot) return ApiError{400, std::string(key) + " is given twice"};
        auto value = percentDecode(eq == std::string_view::npos ? std::string_view{} : param.substr(eq + 1));
        if (!value) return ApiError{400, std::string(key) + " has a bad percent escape"};
        *slot = std::move(*value);
    }

    ApiQuery q;
    q.game = kDefaultGame;
    if (game) {
        auto n = parseNumber(*game);
        if (!n) return ApiError{400, "game must be a number"};
        q.game = int(*n);
    }
    const GameInfo* info = findGame(q.game);
    if (!info) return ApiError{404, "unknown game " + std::to_string(q.game)};
    if (!type) return ApiError{400, "type is required (1 to " + std::to_string(info->typeCount()) + ")"};
    auto t = parseNumber(*type);
    if (!t || *t < 1 || *t > info->typeCount())
        return ApiError{400, "type must be 1 to " + std::to_string(info->typeCount())};
    q.type = int(*t);
    if (limit) {
        auto l = parseNumber(*limit);
        if (!l || *l < 1) return ApiError{400, "limit must be a number from 1"};
        q.limit = int(std::min<long long>(*l, kMaxApiLimit));
    }
    return q;
}

} // namespace hexwend::server
