#pragma once

namespace varne {

// Every number the program writes (reports, sidecars, messages) uses the C conventions, a point
// as the decimal separator, whatever LANG or LC_ALL say. Qt's application object takes the whole
// C library locale from the environment when it is made: call this right after making it. Only
// the numeric category goes back to "C"; messages may still follow the user's language.
void KeepCNumberConventions();

// Formats numbers under the C locale for as long as it lives, on the calling thread only, so
// that code writing report numbers is right even where no program main has run (tests, other
// hosts of the libraries).
class CNumberScope {
public:
    CNumberScope();
    ~CNumberScope();
    CNumberScope(const CNumberScope&) = delete;
    CNumberScope& operator=(const CNumberScope&) = delete;

private:
    void* previous_; // the thread's locale_t before the scope
};

} // namespace varne
