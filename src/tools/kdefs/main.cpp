// kdefs: builds and checks definition files from readable sources, and publishes and checks
// the update host's signed tree. It runs on the build machine and, when cross-compiling,
// under the Windows emulator, so it uses the standard library and the system's cryptography
// only, and reads and writes every file byte for byte.
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

#include "core/hex.h"
#include "core/line_reader.h"
#include "platform/crypto.h"
#include "tools/kdefs/signing_key.h"
#include "tools/kdefs/tree_check.h"
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
    "  kdefs publish --key PRIVATE_KEY OUT KIND SOURCE VERSION [KIND SOURCE VERSION ...]\n"
    "                          write the update host's tree into OUT: each kind's\n"
    "                          definition file, the page announcing its version and the\n"
    "                          manifest signed with the key (kinds left out keep their\n"
    "                          files and entries when the old manifest holds them)\n"
    "  kdefs keygen PRIVATE_KEY PUBLIC_KEY\n"
    "                          make a signing key pair (an existing file is never replaced)\n"
    "  kdefs verify [--key PUBLIC_KEY] TREE\n"
    "                          check a published tree against the keys the program\n"
    "                          trusts, or against PUBLIC_KEY\n";

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

std::optional<std::string> ReadTreeFile(const std::filesystem::path& root, std::string_view path) {
  return ReadFile((root / std::string(path)).string());
}

// What the publisher signed last time and still holds on the host.
std::vector<kestrian::update::ManifestEntry> Carried(const std::filesystem::path& root,
                                                     kestrian::platform::Crypto& crypto,
                                                     const kestrian::platform::P256PublicKey& key) {
  const auto manifest = ReadTreeFile(root, kestrian::update::kManifestPath.substr(1));
  const auto signature = ReadTreeFile(root, kestrian::update::kManifestSignaturePath.substr(1));
  if (!manifest || !signature) return {};
  return kestrian::kdefs::CarriedEntries(
      *manifest, *signature,
      [&](std::string_view file) { return ReadTreeFile(root, "definitions/data/" + std::string(file)); },
      crypto, key);
}

int Publish(const Arguments& args) {
  if (args.size() < 3 || args[1] != "--key") {
    std::cerr << "kdefs: publish needs --key PRIVATE_KEY: Live Update accepts only a signed manifest\n";
    return Usage();
  }
  const std::string keyPath(args[2]);
  const auto keyFile = ReadFile(keyPath);
  if (!keyFile) return Unusable(keyPath, "read");
  const auto key = kestrian::kdefs::ParsePrivateKeyFile(*keyFile);
  if (!key) {
    std::cerr << "kdefs: " << keyPath << " is no private key file of kdefs keygen\n";
    return kUsageError;
  }
  const Arguments rest(args.begin() + 2, args.end());
  if (rest.size() < 5 || (rest.size() - 2) % 3 != 0) return Usage();
  std::vector<kestrian::kdefs::PublishedKind> kinds;
  for (std::size_t i = 2; i < rest.size(); i += 3) {
    const auto kind = kestrian::kdefs::ParseDefinitionKind(rest[i]);
    if (!kind) {
      std::cerr << "kdefs: unknown kind " << rest[i] << " (registry, file, exe or cookie)\n";
      return Usage();
    }
    const std::string source(rest[i + 1]);
    const auto content = ReadFile(source);
    if (!content) return Unusable(source, "read");
    const auto version = ParseVersion(rest[i + 2]);
    if (!version) {
      std::cerr << "kdefs: the version must be a whole number, not " << rest[i + 2] << '\n';
      return kUsageError;
    }
    kinds.push_back({*kind, *content, *version});
  }
  const std::filesystem::path root{std::string(rest[1])};
  const auto crypto = kestrian::platform::MakeSystemCrypto();
  const auto signer = kestrian::platform::MakeSystemSigner();
  const auto tree = kestrian::kdefs::MakeSignedUpdateTree(kinds, Carried(root, *crypto, key->publicKey),
                                                          {*crypto, *signer, *key});
  if (!tree.ok()) {
    Report(std::cerr, "kdefs publish", tree.problems);
    return kFindings;
  }
  for (const auto& file : tree.files) {
    if (!PublishFile(root, file)) return Unusable((root / file.path).string(), "write");
  }
  return kSuccess;
}

bool WriteNewFile(const std::string& path, std::string_view content, bool secret) {
  std::error_code error;
  if (std::filesystem::exists(path, error)) {
    std::cerr << "kdefs: " << path << " exists; a key file is never replaced\n";
    return false;
  }
  if (secret) {
    // Readable by its owner only, before the secret goes in.
    if (!WriteFile(path, "")) return false;
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 error);
  }
  return WriteFile(path, content);
}

int KeyGen(const Arguments& args) {
  if (args.size() != 3) return Usage();
  const std::string privatePath(args[1]);
  const std::string publicPath(args[2]);
  const auto pair = kestrian::platform::MakeSystemSigner()->GenerateP256KeyPair();
  if (!pair) {
    std::cerr << "kdefs: the system could not make a key pair\n";
    return kUsageError;
  }
  if (!WriteNewFile(privatePath,
                    kestrian::kdefs::FormatPrivateKeyFile(
                        *pair, "Kestrian definitions signing key, ECDSA P-256: the PRIVATE half.\n"
                               "Whoever holds it can sign definitions the program trusts. Keep it\n"
                               "off the repository and off the update host."),
                    true)) {
    return Unusable(privatePath, "write");
  }
  if (!WriteNewFile(publicPath,
                    kestrian::kdefs::FormatPublicKeyFile(
                        pair->publicKey, "Kestrian definitions signing key, ECDSA P-256: the public half.\n"
                                         "The program trusts it once it is in src/update/trusted_keys.cpp."),
                    false)) {
    return Unusable(publicPath, "write");
  }
  std::cout << "public-key: " << kestrian::core::ToHex(pair->publicKey) << '\n';
  return kSuccess;
}

int Verify(const Arguments& args) {
  std::optional<kestrian::platform::P256PublicKey> key;
  std::size_t at = 1;
  if (args.size() == 4 && args[1] == "--key") {
    const std::string keyPath(args[2]);
    const auto keyFile = ReadFile(keyPath);
    if (!keyFile) return Unusable(keyPath, "read");
    key = kestrian::kdefs::ParsePublicKeyFile(*keyFile);
    if (!key) {
      std::cerr << "kdefs: " << keyPath << " is no key file of kdefs keygen\n";
      return kUsageError;
    }
    at = 3;
  } else if (args.size() != 2) {
    return Usage();
  }
  const std::filesystem::path root{std::string(args[at])};
  const auto crypto = kestrian::platform::MakeSystemCrypto();
  const kestrian::update::TrustedKey given{"the key given", key.value_or(kestrian::platform::P256PublicKey{})};
  const auto keys = key ? std::span<const kestrian::update::TrustedKey>(&given, 1) : kestrian::update::TrustedKeys();
  const auto problems = kestrian::kdefs::CheckPublishedTree(
      [&](std::string_view path) { return ReadTreeFile(root, path); }, *crypto, keys);
  for (const std::string& problem : problems) std::cout << root.string() << ": " << problem << '\n';
  if (problems.empty()) std::cout << root.string() << ": signed and complete\n";
  return problems.empty() ? kSuccess : kFindings;
}

int Run(const Arguments& args) {
  if (args.empty()) return Usage();
  const std::string_view command = args[0];
  if (command == "encode") return Encode(args);
  if (command == "decode") return Decode(args);
  if (command == "count") return Count(args);
  if (command == "validate") return Validate(args);
  if (command == "publish") return Publish(args);
  if (command == "keygen") return KeyGen(args);
  if (command == "verify") return Verify(args);
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
