// The query of GET /api/v1/scores: game (default the default game), type (required) and
// limit (default 20, at most 100).
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace hexwend::server {

constexpr int kDefaultApiLimit = 20;
constexpr int kMaxApiLimit = 100;

struct ApiQuery {
    int game = 0;
    int type = 0;
    int limit = kDefaultApiLimit;
};

struct ApiError {
    int status = 400; // 400 for a bad parameter, 404 for an unknown game
    std::string reason;
};

std::variant<ApiQuery, ApiError> parseApiQuery(std::string_view rawQuery);

} // namespace hexwend::server
