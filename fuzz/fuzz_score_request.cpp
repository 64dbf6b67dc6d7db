// The score server's parsing of what a client sends: the score request's query (escapes,
// scrambling, payload fields), a payload on its own, and the JSON API's query. Whatever the
// bytes, parsing answers a submission or a reason, and an accepted submission holds only
// fields within their limits.
#include "server/api_query.h"
#include "server/payload.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace hexwend::server;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const ParseResult& r : {decodeScoreQuery(input), parsePayload(input, *findGame(kDefaultGame))}) {
        if (const auto* s = std::get_if<Submission>(&r)) {
            if (s->identity.size() != size_t(kIdentityLength) || s->name.size() != size_t(kNameLength)) std::abort();
            if (s->game != kDefaultGame || s->scores.size() > 3) std::abort();
            for (const TypeScore& t : s->scores)
                if (t.best < 0 || t.best > kMaxScore) std::abort();
        }
    }
    auto api = parseApiQuery(input);
    if (const auto* q = std::get_if<ApiQuery>(&api))
        if (q->limit < 1 || q->limit > kMaxApiLimit || q->type < 1 || q->type > 3) std::abort();
    return 0;
}
