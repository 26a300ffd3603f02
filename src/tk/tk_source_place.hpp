// The place of a raising statement, as carried by internal assertions: the
// source file's name without its folders, so the place does not depend on
// where the tree was built.
#pragma once

constexpr const char* tk_source_name(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (*p == '/' || *p == '\\') name = p + 1;
  return name;
}

// Raises the internal assertion for the statement where it stands.
#define TK_ASSERTION_FAILED() throw tk_mail_assertion(tk_source_name(__FILE__), __LINE__)
