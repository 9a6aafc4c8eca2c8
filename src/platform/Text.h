#pragma once
#include <string>

// ANSI code page <-> UTF-16. Characters without a form in the target are
// converted as the platform gives them (best fit, or the default character).
std::wstring ToWide(const std::string &text);
std::string ToAnsi(const std::wstring &text);
std::string ToAnsi(const wchar_t *text, size_t length);
// The same without best-fit characters: false, with `text` unchanged, when a
// character has no ANSI form.
bool ToAnsiExact(const wchar_t *wide, size_t length, std::string &text);

// Equal under the user's locale with letter case ignored (CompareStringA,
// NORM_IGNORECASE). Both texts are taken whole: blanks, TABs and NULs count.
bool SameTextIgnoreCase(const std::string &a, const std::string &b);

// The system's text for an error code, without its line end; "error N" when
// the system has none.
std::string SystemErrorText(unsigned long error);
