#include "runtime/errors.h"

#include "runtime/gc.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

const char* dbg_info = nullptr;
String dbg_exstack;

namespace {

// Reused conversion buffers of rtPrint and dbg_print.
std::string printBuffer;
std::string debugBuffer;

String withoutHexPrefix(const char* text) {
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text += 2;
    return String(text);
}

} // namespace

int rtPrint(String text) {
    printBuffer.clear();
    for (int i = 0; i < text.Length(); ++i) rtAppendUtf8(printBuffer, text[i]);
    printBuffer += '\n';
    std::fputs(printBuffer.c_str(), stdout);
    std::fflush(stdout);
    return 0;
}

void rtError(String message) {
    if (message.Length() == 0) std::exit(0);
    String::CString text = message.ToCString();
    dbg_error(text);
}

void dbg_error(const char* message) {
    for (;;) {
        rtPrint(String("Vorpix Runtime Error : ") + String(message));
        rtPrint(dbg_stacktrace());
        dbg_stop();
    }
}

String dbg_stacktrace() {
    if (!dbg_info || !*dbg_info) return String();
    return String(dbg_info) + String("\n");
}

void dbg_print(String text) {
    debugBuffer.clear();
    for (int i = 0; i < text.Length(); ++i) debugBuffer += char(text[i] & 0xff);
    debugBuffer += '\n';
    std::fputs(debugBuffer.c_str(), stderr);
    std::fflush(stderr);
}

int dbg_stop() {
    std::fprintf(stderr, "{{~~%s~~}}\n", dbg_info ? dbg_info : "");
    dbg_print(String());
    for (;;) {
        char line[256];
        if (!std::fgets(line, sizeof line, stdin) || !std::strchr(line, '\n')) std::exit(-1);
        switch (line[0]) {
        case '?':
            break;
        case '@': {
            // The address comes from outside: only an object the collector knows is shown.
            void* p = nullptr;
            if (std::sscanf(line + 1, "%p", &p) == 1 && p && gc_is_live(p)) {
                auto* object = dynamic_cast<Object*>(static_cast<gc_object*>(p));
                dbg_print(object ? object->debug() : String("+Object\n"));
            } else {
                dbg_print(String());
            }
            break;
        }
        case 'e':
        case 'l':
        case 'r':
        case 's':
            return 0;
        case 'q':
            std::exit(0);
        default:
            std::printf("????? %s ?????", line);
            std::fflush(stdout);
            std::exit(-1);
        }
    }
}

int rtDebugLog(String text) {
    return rtPrint(text);
}

int rtDebugStop() {
    return dbg_stop();
}

void sighandler(int signal) {
    switch (signal) {
    case SIGILL:
        dbg_error("Illegal instruction");
    case SIGFPE:
        dbg_error("Floating point exception");
    case SIGSEGV:
        dbg_error("Memory access violation");
    default:
        dbg_error("Unknown signal");
    }
}

void rtInstallSignalHandlers() {
    std::signal(SIGSEGV, sighandler);
    std::signal(SIGILL, sighandler);
    std::signal(SIGFPE, sighandler);
}

void dbg_throw(const char* message) {
    dbg_exstack = dbg_stacktrace();
    throw message;
}

String dbg_type(bool*) {
    return String("Bool");
}
String dbg_type(int*) {
    return String("Int");
}
String dbg_type(float*) {
    return String("Float");
}
String dbg_type(String*) {
    return String("String");
}

String dbg_value(bool value) {
    return String(value ? "True" : "False");
}

String dbg_value(int value) {
    return String(value);
}

String dbg_value(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17lg", value);
    String text(buf);
    if (!std::strchr(buf, '.') && !std::strchr(buf, 'e')) text = text + String(".0");
    return text;
}

String dbg_value(float value) {
    return dbg_value(double(value));
}

String dbg_value(String value) {
    String text = value.Length() > 100 ? value.Slice(0, 100) + String("...") : value;
    text = text.Replace(String("\""), String("~q"))
               .Replace(String("\t"), String("~t"))
               .Replace(String("\n"), String("~n"))
               .Replace(String("\r"), String("~r"));
    return String("\"") + text + String("\"");
}

String dbg_ptr_value(const void* p) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%p", p);
    return withoutHexPrefix(buf);
}
