// Every generated file, made in memory from the sources in assets/.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/png_io.h"

struct GeneratedFile {
  std::string path;  // relative to the repository root
  Bytes bytes;
};

// nullopt with `error` set when a source is missing or malformed.
std::optional<std::vector<GeneratedFile>> GenerateAll(const std::string& repo_root,
                                                      std::string* error);
