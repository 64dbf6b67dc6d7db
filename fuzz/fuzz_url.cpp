// libFuzzer target: the URL parser over arbitrary 16-bit text. Nothing may crash or read out
// of bounds, and the parts must be pieces of the text in order: the full path is the path
// followed by the query and fragment, and parsing the same text twice gives the same parts.
#include "net/http.h"
#include "runtime/gc.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

bool isPiece(const String& url, const String& part) {
    return part.Length() == 0 || url.Find(part) >= 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2) text.push_back(char16_t(data[i] | data[i + 1] << 8));
    // Mostly the characters a URL is made of, so the fuzzer reaches every branch quickly.
    for (char16_t& c : text) {
        if (c < 0x100) c = u":/?#@.ab1"[c % 9];
    }
    const String url(text.data(), int(text.size()));

    gc_reset();
    c_Url* u = (new c_Url())->m_new(url, String("http"), 80);
    for (const String& part : {u->m_scheme, u->m_username, u->m_password, u->m_domain,
                               u->m_query, u->m_fragment}) {
        check(isPiece(url, part) || part == String("http"));
    }
    check(u->m_path.StartsWith(String("/")));
    check(u->m_path == String("/") || isPiece(url, u->m_path));
    String full = u->p_FullPath();
    check(full.StartsWith(u->m_path));
    check(full.Length() >= u->m_path.Length() + u->m_query.Length() + u->m_fragment.Length());

    c_Url* again = (new c_Url())->m_new(url, String("http"), 80);
    check(again->p_FullPath() == full && again->m_domain == u->m_domain &&
          again->m_port == u->m_port);
    return 0;
}
