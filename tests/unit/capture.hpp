// Test helper: what a writer puts on a stream.
#ifndef ZONIX_TEST_CAPTURE_HPP
#define ZONIX_TEST_CAPTURE_HPP

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace zonix_test {

// Runs write(f) on a temporary stream and returns what it wrote.
template <class F>
std::string capture(F write)
{
  FILE *f = std::tmpfile();
  EXPECT_NE(f, nullptr);
  write(f);
  std::fflush(f);
  std::rewind(f);
  std::string out;
  int c;
  while ((c = std::fgetc(f)) != EOF) out.push_back(static_cast<char>(c));
  std::fclose(f);
  return out;
}

}  // namespace zonix_test

#endif  // ZONIX_TEST_CAPTURE_HPP
