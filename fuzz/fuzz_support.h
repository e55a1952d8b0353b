// Shared by the fuzz harnesses: a failed expectation is a finding, and the
// file-based readers get a scratch folder of their own.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "favorites/text_encoding.h"

namespace vortexa::fuzz {

// libFuzzer keeps the input of any abort as a crash reproducer.
inline void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "round trip broken: %s\n", what);
  std::abort();
}

// A line valid in neither UTF-8 nor Shift-JIS is kept as its bytes and
// written back whole; a piece of it (a name, a section's name) written on a
// line of its own may read as Shift-JIS. Such text is read and written, but
// not expected to come back the same.
inline bool HoldsUndecodedBytes(std::string_view text) {
  return !IsValidUtf8(text);
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// One folder per process, removed by nobody: the harness runs until killed.
inline const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "vortexa-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return std::filesystem::path(pattern);
  }();
  return folder;
}

inline std::filesystem::path WriteScratchFile(const std::string& name, std::string_view bytes) {
  const std::filesystem::path path = ScratchFolder() / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
  return path;
}

inline std::string ReadScratchFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace vortexa::fuzz
