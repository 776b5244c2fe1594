// kdefs: builds and checks definition files from readable sources. It runs on the build
// machine and, when cross-compiling, under the Windows emulator, so it uses only the
// standard library and reads and writes every file byte for byte.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "core/line_reader.h"
#include "tools/kdefs/definition_encoder.h"
#include "tools/kdefs/definition_validator.h"

namespace {

using kestrian::kdefs::Problem;
using Arguments = std::vector<std::string_view>;

constexpr int kSuccess = 0;
constexpr int kFindings = 1;
constexpr int kUsageError = 2;

constexpr std::string_view kUsage =
    "usage:\n"
    "  kdefs encode IN OUT     encode a readable source (LF or CR LF lines) into a\n"
    "                          definition file\n"
    "  kdefs decode IN         print the decoded lines of a definition file\n"
    "  kdefs count IN          print how many lines a definition file holds\n"
    "  kdefs validate --kind registry|file|exe|cookie IN\n"
    "                          report every malformed line of a definition file\n";

int Usage() {
  std::cerr << kUsage;
  return kUsageError;
}

int Unusable(std::string_view path, std::string_view what) {
  std::cerr << "kdefs: cannot " << what << ' ' << path << '\n';
  return kUsageError;
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(content).str();
}

bool WriteFile(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  out.close();
  if (out) return true;
  std::remove(path.c_str());  // a half-written file must not pass for a built one
  return false;
}

void Report(std::ostream& stream, std::string_view path, const std::vector<Problem>& problems) {
  for (const Problem& problem : problems) {
    stream << path << ':' << problem.line << ": " << problem.message << '\n';
  }
}

int Encode(const Arguments& args) {
  if (args.size() != 3) return Usage();
  const std::string in(args[1]);
  const std::string out(args[2]);
  const auto source = ReadFile(in);
  if (!source) return Unusable(in, "read");
  const auto encoded = kestrian::kdefs::EncodeSource(*source);
  if (!encoded.ok()) {
    Report(std::cerr, in, encoded.problems);
    return kFindings;
  }
  return WriteFile(out, encoded.content) ? kSuccess : Unusable(out, "write");
}

int Decode(const Arguments& args) {
  if (args.size() != 2) return Usage();
  const std::string in(args[1]);
  const auto content = ReadFile(in);
  if (!content) return Unusable(in, "read");
  for (const std::string& line : kestrian::kdefs::DecodeDefinitionFile(*content)) {
    std::cout << line << '\n';
  }
  return kSuccess;
}

int Count(const Arguments& args) {
  if (args.size() != 2) return Usage();
  const std::string in(args[1]);
  const auto content = ReadFile(in);
  if (!content) return Unusable(in, "read");
  std::cout << kestrian::core::CountLines(*content) << '\n';
  return kSuccess;
}

int Validate(const Arguments& args) {
  if (args.size() != 4 || args[1] != "--kind") return Usage();
  const auto kind = kestrian::kdefs::ParseDefinitionKind(args[2]);
  if (!kind) {
    std::cerr << "kdefs: unknown kind " << args[2] << " (registry, file, exe or cookie)\n";
    return Usage();
  }
  const std::string in(args[3]);
  const auto content = ReadFile(in);
  if (!content) return Unusable(in, "read");
  const auto problems = kestrian::kdefs::ValidateDefinitionFile(*kind, *content);
  Report(std::cout, in, problems);
  return problems.empty() ? kSuccess : kFindings;
}

int Run(const Arguments& args) {
  if (args.empty()) return Usage();
  const std::string_view command = args[0];
  if (command == "encode") return Encode(args);
  if (command == "decode") return Decode(args);
  if (command == "count") return Count(args);
  if (command == "validate") return Validate(args);
  if (command != "--help" && command != "-h") {
    std::cerr << "kdefs: unknown command " << command << '\n';
  }
  return Usage();
}

// Line feeds stay line feeds on every host, so outputs compare equal across builds.
void UseBinaryConsole() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  UseBinaryConsole();
  const Arguments args(argv + 1, argv + argc);
  const int code = Run(args);
  std::cout.flush();
  return std::cout ? code : kUsageError;
}
