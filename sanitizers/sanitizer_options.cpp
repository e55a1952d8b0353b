// Linked into every program the tests run in a sanitizer build, so that the
// options hold however the program is started: by ctest, by the test listing
// at build time, or by hand. Every report ends the program with an error.

extern "C" {

const char* __asan_default_options() {
  return "halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1";
}

const char* __ubsan_default_options() {
  return "halt_on_error=1:print_stacktrace=1";
}

// fontconfig, which Qt's font database uses, keeps a cache it never frees:
// the only report in our tests that does not come from our own code.
const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

const char* __tsan_default_options() {
  return "halt_on_error=1:second_deadlock_stack=1";
}

}  // extern "C"
