// kdefs: builds and checks definition files from readable sources. It runs on the build
// machine and, when cross-compiling, under the Windows emulator, so it uses only the
// standard library and reads and writes every file byte for byte.
#include <cstdint>
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
#include "tools/kdefs/update_tree.h"

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
    "                          report every malformed line of a definition file\n"
    "  kdefs publish OUT KIND SOURCE VERSION [KIND SOURCE VERSION ...]\n"
    "                          write the update host's tree into OUT: each kind's\n"
    "                          definition file and the page announcing its version\n";

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

std::optional<std::int32_t> ParseVersion(std::string_view text) {
  std::int32_t version = 0;
  for (const char digit : text) {
    if (digit < '0' || digit > '9' || version > 200'000'000) return std::nullopt;
    version = version * 10 + (digit - '0');
  }
  if (text.empty()) return std::nullopt;
  return version;
}

// Each file is written beside its final name and renamed, so a server never hands out half
// a file; data files go first, so no page announces a file that is not there yet.
bool PublishFile(const std::filesystem::path& root, const kestrian::kdefs::TreeFile& file) {
  const std::filesystem::path target = root / file.path;
  std::error_code error;
  std::filesystem::create_directories(target.parent_path(), error);
  const std::filesystem::path partial = target.string() + ".partial";
  if (!WriteFile(partial.string(), file.content)) return false;
  std::filesystem::rename(partial, target, error);
  if (!error) return true;
  std::filesystem::remove(partial, error);
  return false;
}

int Publish(const Arguments& args) {
  if (args.size() < 5 || (args.size() - 2) % 3 != 0) return Usage();
  std::vector<kestrian::kdefs::PublishedKind> kinds;
  for (std::size_t i = 2; i < args.size(); i += 3) {
    const auto kind = kestrian::kdefs::ParseDefinitionKind(args[i]);
    if (!kind) {
      std::cerr << "kdefs: unknown kind " << args[i] << " (registry, file, exe or cookie)\n";
      return Usage();
    }
    const std::string source(args[i + 1]);
    const auto content = ReadFile(source);
    if (!content) return Unusable(source, "read");
    const auto version = ParseVersion(args[i + 2]);
    if (!version) {
      std::cerr << "kdefs: the version must be a whole number, not " << args[i + 2] << '\n';
      return kUsageError;
    }
    kinds.push_back({*kind, *content, *version});
  }
  const auto tree = kestrian::kdefs::MakeUpdateTree(kinds);
  if (!tree.ok()) {
    Report(std::cerr, "kdefs publish", tree.problems);
    return kFindings;
  }
  const std::filesystem::path root{std::string(args[1])};
  for (const auto& file : tree.files) {
    if (!PublishFile(root, file)) return Unusable((root / file.path).string(), "write");
  }
  return kSuccess;
}

int Run(const Arguments& args) {
  if (args.empty()) return Usage();
  const std::string_view command = args[0];
  if (command == "encode") return Encode(args);
  if (command == "decode") return Decode(args);
  if (command == "count") return Count(args);
  if (command == "validate") return Validate(args);
  if (command == "publish") return Publish(args);
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
