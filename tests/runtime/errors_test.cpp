#include "runtime/errors.h"

#include "tests/runtime/runtime_fixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace hexwend::testing {
namespace {

// --- Running the error child -------------------------------------------------------------

enum class Input {
    Text,        // the given text, then end of input
    ClosedStream // no standard input at all: descriptor 0 is closed
};

struct Outcome {
    std::string out;
    std::string err;
    int status = -1; // exit status, or -1 when the child did not exit normally
    int signal = 0;  // the signal that ended it, if one did
};

// One run of the error child with pipes on its three standard streams.
class Child {
  public:
    explicit Child(const std::string& action, Input input = Input::Text) {
        int in[2], out[2], err[2];
        if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return;
        pid = fork();
        if (pid == 0) {
            dup2(out[1], 1);
            dup2(err[1], 2);
            if (input == Input::ClosedStream) {
                close(0);
            } else {
                dup2(in[0], 0);
            }
            for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
            // In a sanitizer build the child's own handlers must see the fatal signals.
            setenv("ASAN_OPTIONS", "handle_segv=0:handle_sigill=0:handle_sigfpe=0", 1);
            execl(HEXWEND_ERROR_CHILD, HEXWEND_ERROR_CHILD, action.c_str(), nullptr);
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        close(err[1]);
        toChild = in[1];
        fromChild = out[0];
        errFromChild = err[0];
        if (input == Input::ClosedStream) closeInput();
    }

    ~Child() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        for (int fd : {toChild, fromChild, errFromChild}) {
            if (fd >= 0) close(fd);
        }
    }

    bool started() const { return pid > 0; }

    void write(const std::string& text) {
        size_t done = 0;
        while (done < text.size()) {
            ssize_t n = ::write(toChild, text.data() + done, text.size() - done);
            if (n <= 0) return; // the child is gone; what it wrote still tells
            done += size_t(n);
        }
    }

    void closeInput() {
        if (toChild >= 0) close(toChild);
        toChild = -1;
    }

    // Reads standard output up to and including the next line feed.
    std::string readLine() {
        while (outcome.out.find('\n', consumed) == std::string::npos) {
            if (!pump()) break;
        }
        size_t end = outcome.out.find('\n', consumed);
        std::string line = outcome.out.substr(
            consumed, end == std::string::npos ? std::string::npos : end + 1 - consumed);
        consumed += line.size();
        return line;
    }

    // Ends the input, reads everything the child writes and waits for its end.
    Outcome finish() {
        closeInput();
        while (pump()) {
        }
        int status = 0;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the child did not end";
                return outcome;
            }
            usleep(1000);
        }
        pid = -1;
        if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
        return outcome;
    }

  private:
    // Reads what is available on either output; false once both have ended.
    bool pump() {
        pollfd fds[2] = {{fromChild, POLLIN, 0}, {errFromChild, POLLIN, 0}};
        if (fromChild < 0 && errFromChild < 0) return false;
        int ready = poll(fds, 2, 30000);
        if (ready <= 0) {
            ADD_FAILURE() << "no output from the child for 30 s";
            return false;
        }
        int* ends[2] = {&fromChild, &errFromChild};
        std::string* into[2] = {&outcome.out, &outcome.err};
        for (int i = 0; i < 2; ++i) {
            if (*ends[i] < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[4096];
            ssize_t n = read(*ends[i], buf, sizeof buf);
            if (n > 0) {
                into[i]->append(buf, size_t(n));
            } else if (n == 0 || errno != EINTR) {
                close(*ends[i]);
                *ends[i] = -1;
            }
        }
        return true;
    }

    pid_t pid = -1;
    int toChild = -1, fromChild = -1, errFromChild = -1;
    Outcome outcome;
    size_t consumed = 0;
};

Outcome run(const std::string& action, const std::string& input = "", Input mode = Input::Text) {
    Child child(action, mode);
    EXPECT_TRUE(child.started());
    child.write(input);
    return child.finish();
}

const std::string kMarker = "{{~~~~}}\n\n"; // the debug marker and dbg_print's empty line

std::string report(const std::string& message) {
    return "Vorpix Runtime Error : " + message + "\n\n";
}

// --- Process-level behaviour -------------------------------------------------------------

TEST(ErrorProcessTest, FatalErrorsReportAndExitWith255) {
    const struct {
        const char* action;
        const char* message;
        Input input;
    } cases[] = {
        {"error", "Array index out of range", Input::Text},
        {"error", "Array index out of range", Input::ClosedStream},
        {"dbg-error", "Not implemented", Input::Text},
        {"segv", "Memory access violation", Input::Text},
        {"fpe", "Floating point exception", Input::Text},
        {"ill", "Illegal instruction", Input::Text},
        {"other-signal", "Unknown signal", Input::Text},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.action);
        Outcome o = run(c.action, "", c.input);
        EXPECT_EQ(o.out, report(c.message));
        EXPECT_EQ(o.err, kMarker);
        EXPECT_EQ(o.status, 255);
        EXPECT_EQ(o.signal, 0);
    }
}

TEST(ErrorProcessTest, EmptyErrorEndsTheProcessQuietlyWithStatus0) {
    Outcome o = run("print-then-end");
    EXPECT_EQ(o.out, "last words\n");
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.status, 0);
}

TEST(ErrorProcessTest, PrintWritesUtf8AndALineFeed) {
    Outcome o = run("print-euro");
    EXPECT_EQ(o.out, "\xe2\x82\xac\n");
    EXPECT_EQ(o.status, 0);
}

TEST(ErrorProcessTest, DebuggerProtocol) {
    const std::string longLine = "?" + std::string(299, 'x') + "\n";
    const struct {
        const char* name;
        std::string input;
        std::string out;
        std::string err;
        int status;
    } cases[] = {
        {"quit", "q\n", report("Array index out of range"), kMarker, 0},
        {"continue repeats the report", "e\nq\n",
         report("Array index out of range") + report("Array index out of range"), kMarker + kMarker,
         0},
        {"every continue command", "l\nr\ns\n",
         report("Array index out of range") + report("Array index out of range") +
             report("Array index out of range") + report("Array index out of range"),
         kMarker + kMarker + kMarker + kMarker, 255},
        {"query reads on", "?\n?\nq\n", report("Array index out of range"), kMarker, 0},
        {"unknown command", "xyz\n", report("Array index out of range") + "????? xyz\n ?????",
         kMarker, 255},
        {"empty line is unknown", "\n", report("Array index out of range") + "????? \n ?????",
         kMarker, 255},
        {"line without a line feed", "q", report("Array index out of range"), kMarker, 255},
        {"over-long line", longLine, report("Array index out of range"), kMarker, 255},
        {"bogus address", "@0x1234\nq\n", report("Array index out of range"), kMarker + "\n", 0},
        {"bogus address without prefix", "@deadbeef\nq\n", report("Array index out of range"),
         kMarker + "\n", 0},
        {"null address", "@0\n@\nq\n", report("Array index out of range"), kMarker + "\n" + "\n",
         0},
        {"garbage address", "@zz!\nq\n", report("Array index out of range"), kMarker + "\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome o = run("error", c.input);
        EXPECT_EQ(o.out, c.out);
        EXPECT_EQ(o.err, c.err);
        EXPECT_EQ(o.status, c.status);
        EXPECT_EQ(o.signal, 0);
    }
}

TEST(ErrorProcessTest, DebugStopReturnsOnContinue) {
    const struct {
        const char* input;
        const char* out;
        int status;
    } cases[] = {{"e\n", "continued\n", 0}, {"q\n", "", 0}, {"", "", 255}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        Outcome o = run("stop", c.input);
        EXPECT_EQ(o.out, c.out);
        EXPECT_EQ(o.err, kMarker);
        EXPECT_EQ(o.status, c.status);
    }
}

TEST(ErrorProcessTest, DebuggerShowsALiveObject) {
    Child child("object");
    ASSERT_TRUE(child.started());
    std::string address = child.readLine();
    ASSERT_FALSE(address.empty());
    EXPECT_EQ(address.rfind("0x", 0), std::string::npos) << "shown without 0x";
    EXPECT_EQ(child.readLine(), "Vorpix Runtime Error : Stopped with an object\n");
    child.write("@" + address + "q\n");
    Outcome o = child.finish();
    EXPECT_EQ(o.err, kMarker + "+Object\n\n");
    EXPECT_EQ(o.status, 0);
}

TEST(ErrorProcessTest, BrokenListLinksEndTheProcess) {
    Outcome loud = run("list-error");
    EXPECT_EQ(loud.out, "after corruption\nLIST ERROR!\n");
    EXPECT_EQ(loud.status, 255);
    Outcome quiet = run("list-error-quiet");
    EXPECT_EQ(quiet.out, "LIST ERROR!\n");
    EXPECT_EQ(quiet.status, 255);
}

// --- Value display -----------------------------------------------------------------------

using DebugDisplayTest = RuntimeTest;

TEST_F(DebugDisplayTest, TypesAndValues) {
    EXPECT_EQ(chars(dbg_type(static_cast<bool*>(nullptr))), u"Bool");
    EXPECT_EQ(chars(dbg_type(static_cast<int*>(nullptr))), u"Int");
    EXPECT_EQ(chars(dbg_type(static_cast<float*>(nullptr))), u"Float");
    EXPECT_EQ(chars(dbg_type(static_cast<String*>(nullptr))), u"String");
    EXPECT_EQ(chars(dbg_value(true)), u"True");
    EXPECT_EQ(chars(dbg_value(false)), u"False");
    EXPECT_EQ(chars(dbg_value(-42)), u"-42");

    const struct {
        double value;
        const char16_t* text;
    } floats[] = {
        {2, u"2.0"},
        {1e20, u"1e+20"},
        {-3, u"-3.0"},
        {0.5, u"0.5"},
        {0, u"0.0"},
        {1.5e-7, u"1.4999999999999999e-07"},
        {double(0.1f), u"0.10000000149011612"},
    };
    for (const auto& f : floats) EXPECT_EQ(chars(dbg_value(f.value)), f.text) << f.value;
    EXPECT_EQ(chars(dbg_value(2.0f)), u"2.0");
}

TEST_F(DebugDisplayTest, StringsAreQuotedEscapedAndCut) {
    const std::u16string hundred(100, u'a');
    const struct {
        std::u16string text;
        std::u16string shown;
    } cases[] = {
        {u"", u"\"\""},
        {u"plain", u"\"plain\""},
        {u"say \"hi\"\t\r\n", u"\"say ~qhi~q~t~r~n\""},
        {hundred, u"\"" + hundred + u"\""},
        {hundred + u"b", u"\"" + hundred + u"...\""},
        {std::u16string(99, u'a') + u"\"tail", u"\"" + std::u16string(99, u'a') + u"~q...\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(chars(dbg_value(String(c.text.data(), int(c.text.size())))), c.shown);
    }
}

TEST_F(DebugDisplayTest, PointerStackAndThrow) {
    int x = 0;
    char expected[32];
    std::snprintf(expected, sizeof expected, "%p", static_cast<void*>(&x));
    std::string shown = dbg_ptr_value(&x).ToUtf8();
    EXPECT_EQ("0x" + shown, expected);
    EXPECT_EQ(dbg_stacktrace().RepIdentity(), &String::nullRep);

    dbg_exstack = String("stale");
    try {
        dbg_throw("thrown");
        FAIL() << "dbg_throw returned";
    } catch (const char* message) {
        EXPECT_STREQ(message, "thrown");
    }
    EXPECT_EQ(dbg_exstack.Length(), 0);
}

} // namespace
} // namespace hexwend::testing
