// Console output, fatal runtime errors, the debugger line protocol and fatal signals.
#pragma once

#include "runtime/string.h"

extern const char* dbg_info; // the current debug position; never set, so always null
extern String dbg_exstack;   // the debug stack captured by dbg_throw

// Writes the text as UTF-8 plus a line feed to standard output and flushes it.
int rtPrint(String text);
// Empty message: ends the process at once with status 0. Otherwise a fatal runtime error.
[[noreturn]] void rtError(String message);
// "Vorpix Runtime Error : <message>", the stack line, then the debugger stop; repeated
// while a debugger asks to go on. Never returns.
[[noreturn]] void dbg_error(const char* message);
String dbg_stacktrace();
int dbg_stop();
// Writes the text (each character's low 8 bits) plus a line feed to standard error.
void dbg_print(String text);
int rtDebugLog(String text);
int rtDebugStop();
// Handler for SIGSEGV, SIGILL and SIGFPE: turns the signal into a runtime error.
void sighandler(int signal);
// Installs sighandler for SIGSEGV, SIGILL and SIGFPE.
void rtInstallSignalHandlers();
// Stores the stack in dbg_exstack and throws the message as an exception.
[[noreturn]] void dbg_throw(const char* message);

// Display of values for the debugger.
String dbg_type(bool*);
String dbg_type(int*);
String dbg_type(float*);
String dbg_type(String*);
String dbg_value(bool value);
String dbg_value(int value);
String dbg_value(float value);
String dbg_value(double value);
String dbg_value(String value);
String dbg_ptr_value(const void* p);
