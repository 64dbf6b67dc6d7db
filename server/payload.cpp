#include "server/payload.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

namespace hexwend::server {

namespace {

constexpr std::size_t kMaxReadings = 64; // marker runs read literally when the payload does not parse

bool allDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<int> fourDigits(std::string_view s) {
    if (s.size() != 4 || !allDigits(s)) return std::nullopt;
    return (s[0] - '0') * 1000 + (s[1] - '0') * 100 + (s[2] - '0') * 10 + (s[3] - '0');
}

std::optional<std::int64_t> parseScore(std::string_view s) {
    if (s.size() > 8 || !allDigits(s)) return std::nullopt; // 8 digits cap it at kMaxScore
    std::int64_t v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

std::optional<std::int64_t> parseExtra(std::string_view s) {
    std::string_view digits = !s.empty() && s[0] == '-' ? s.substr(1) : s;
    if (digits.size() > 10 || !allDigits(digits)) return std::nullopt;
    std::int64_t v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return v;
}

std::vector<std::string_view> split(std::string_view s, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == separator) {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

std::string fourDigitText(int n) {
    std::string text = "0000" + std::to_string(n);
    return text.substr(text.size() - 4);
}

ParseError fail(std::string reason) { return ParseError{std::move(reason)}; }

} // namespace

ParseResult parsePayload(std::string_view text, const GameInfo& game) {
    constexpr std::size_t kNameStart = kIdentityLength + 1;
    constexpr std::size_t kRestStart = kNameStart + kNameLength + 1;
    if (text.size() < kRestStart) return fail("payload too short");
    Submission sub;
    std::string_view identity = text.substr(0, kIdentityLength);
    if (!allDigits(identity)) return fail("identity is not 17 digits");
    if (text[kIdentityLength] != '{') return fail("no separator after the identity");
    if (text[kRestStart - 1] != '{') return fail("no separator after the 13-character name");
    sub.identity = identity;
    sub.name = text.substr(kNameStart, kNameLength);

    std::vector<std::string_view> fields = split(text.substr(kRestStart), '{');
    // game, version, mode, the pairs, "QUZO" and the empty text after the final separator
    if (fields.size() < 5 || fields.back() != "" || fields[fields.size() - 2] != "QUZO")
        return fail("payload does not end with QUZO{");
    auto gameNumber = fourDigits(fields[0]);
    if (!gameNumber) return fail("game is not 4 digits");
    if (*gameNumber != game.number) return fail("payload names another game than the request");
    auto version = fourDigits(fields[1]);
    if (!version) return fail("version is not 4 digits");
    auto mode = fourDigits(fields[2]);
    if (!mode) return fail("mode is not 4 digits");
    sub.game = *gameNumber;
    sub.version = *version;
    sub.mode = *mode;

    std::size_t valueCount = fields.size() - 5;
    if (sub.mode != 0) {
        if (valueCount != 0) return fail("scores sent with a mode other than 0");
        return sub;
    }
    if (valueCount % 2 != 0) return fail("a score without its extra value");
    std::size_t types = valueCount / 2;
    if (types < 1 || types > std::size_t(game.typeCount())) return fail("wrong number of game types");
    for (std::size_t t = 0; t < types; ++t) {
        auto best = parseScore(fields[3 + 2 * t]);
        if (!best) return fail("score of type " + std::to_string(t + 1) + " is not 0 to 99999999");
        auto extra = parseExtra(fields[4 + 2 * t]);
        if (!extra) return fail("extra value of type " + std::to_string(t + 1) + " is not a 32-bit number");
        sub.scores.push_back({int(t + 1), *best, *extra});
    }
    return sub;
}

std::string buildPayload(const Submission& s) {
    std::string text = s.identity + "{" + s.name + "{" + fourDigitText(s.game) + "{" +
                       fourDigitText(s.version) + "{" + fourDigitText(s.mode) + "{";
    if (s.mode == 0)
        for (const TypeScore& t : s.scores)
            text += std::to_string(t.best) + "{" + std::to_string(t.extra) + "{";
    return text + "QUZO{";
}

ParseResult decodeScoreQuery(std::string_view rawQuery) {
    std::optional<std::string_view> gameValue, scoreValue;
    for (std::string_view param : split(rawQuery, '&')) {
        std::size_t eq = param.find('=');
        std::string_view key = param.substr(0, eq);
        std::string_view value = eq == std::string_view::npos ? std::string_view{} : param.substr(eq + 1);
        std::optional<std::string_view>* slot = key == "Game" ? &gameValue : key == "Score" ? &scoreValue : nullptr;
        if (!slot) continue;
        if (*slot) return fail("Game or Score given twice");
        *slot = value;
    }
    if (!gameValue || !scoreValue) return fail("Game and Score are both needed");

    auto gameText = percentDecode(*gameValue);
    auto gameNumber = gameText ? fourDigits(*gameText) : std::nullopt;
    if (!gameNumber) return fail("Game is not 4 digits");
    const GameInfo* game = findGame(*gameNumber);
    if (!game) return fail("unknown game " + *gameText);

    auto escaped = percentDecode(*scoreValue);
    if (!escaped) return fail("bad percent escape in Score");

    auto readAs = [&](std::size_t literalRun) -> ParseResult {
        auto plain = unscramble(unescapeMarkers(*escaped, literalRun), game->table);
        if (!plain) return fail("Score holds a character the game never sends");
        return parsePayload(*plain, *game);
    };
    ParseResult first = readAs(std::size_t(-1));
    if (std::holds_alternative<Submission>(first)) return first;
    // A marker's five characters may have been scrambled text sent as it was: read each run
    // literally in turn (a payload holding two such runs is far too rare to matter).
    std::size_t runs = std::min(countMarkers(*escaped), kMaxReadings);
    for (std::size_t k = 0; k < runs; ++k) {
        ParseResult other = readAs(k);
        if (std::holds_alternative<Submission>(other)) return other;
    }
    return first;
}

std::string encodeScoreQuery(const Submission& submission) {
    const GameInfo* game = findGame(submission.game);
    KeyTable table = game ? game->table : KeyTable{};
    return "Game=" + fourDigitText(submission.game) + "&Score=" +
           escapeMarkers(scramble(buildPayload(submission), table));
}

} // namespace hexwend::server
