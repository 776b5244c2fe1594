#pragma once
// The machine the benchmark scans: a scratch application folder holding a large definition
// set, a scratch cookie folder, and a few hundred planted registry keys, values and files
// for the definitions to find. Everything planted is removed again by Remove(), which also
// clears what an earlier, interrupted run left behind.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace kestrian::bench {

struct DefinitionSetSize {
  int registryLines = 50'000;
  int fileLines = 50'000;
  int executableNames = 5'000;
  int cookiePatterns = 5'000;
  int cookieFiles = 2'000;
};

// A key as a registry floor probes it.
struct KeyProbe {
  HKEY root;
  std::string keyPath;
  std::vector<std::string> valueNames;  // one per value line, in the lines' order
};

class PlantedMachine {
 public:
  explicit PlantedMachine(DefinitionSetSize size) : size_(size) {}
  PlantedMachine(const PlantedMachine&) = delete;
  PlantedMachine& operator=(const PlantedMachine&) = delete;
  ~PlantedMachine() { Remove(); }

  // `programFiles` and `windows` are the folders the file scan expands [pfiles] and [wDir]
  // to, each ending in a backslash.
  void Plant(const std::string& programFiles, const std::string& windows);
  void Remove();

  const std::string& ApplicationFolder() const { return appFolder_; }
  const std::string& CookieFolder() const { return cookieFolder_; }
  std::string DefinitionFile(const char* name) const { return appFolder_ + "\\" + name; }

  // The realistic mix: a second application folder whose registry and file definitions are
  // spread as real sets spread them, 50,000 lines each over about 5,000 keys and about 300
  // folders; its executable and cookie definitions are the first folder's.
  const std::string& MixApplicationFolder() const { return mixFolder_; }

  // The readable lines of the definition files, before encoding.
  const std::vector<std::string>& RegistryLines() const { return registryLines_; }
  const std::vector<std::string>& FileLines() const { return fileLines_; }
  const std::vector<std::string>& MixRegistryLines() const { return mixRegistryLines_; }
  const std::vector<std::string>& MixFileLines() const { return mixFileLines_; }
  // Frees the readable lines once nothing needs them, so that the memory the phases take
  // shows in the peak working set.
  void ForgetLines();
  const std::vector<std::string>& PlantedFilePaths() const { return plantedFilePaths_; }

  int PlantedKeysAndValues() const { return plantedKeysAndValues_; }
  int PlantedFiles() const { return static_cast<int>(plantedFilePaths_.size()); }
  int MatchingCookieFiles() const { return matchingCookies_; }

 private:
  void MakeScratchFolders();
  void WriteRegistryDefinitions();
  void WriteFileDefinitions(const std::string& programFiles, const std::string& windows);
  void WriteExecutableDefinitions();
  void WriteCookies();
  void WriteMixDefinitions();
  void WriteDefinitionFile(const std::string& folder, const char* name,
                           const std::vector<std::string>& lines);

  DefinitionSetSize size_;
  std::string scratch_;
  std::string appFolder_;
  std::string cookieFolder_;
  std::string mixFolder_;
  std::string programFiles_;
  std::string windows_;
  std::vector<std::string> registryLines_;
  std::vector<std::string> fileLines_;
  std::vector<std::string> plantedFilePaths_;
  std::vector<std::string> plantedFileLines_;  // the lines naming the planted files
  std::vector<std::string> plantedKeyLines_;   // the lines naming the planted keys and values
  std::vector<std::string> mixRegistryLines_;
  std::vector<std::string> mixFileLines_;
  int plantedKeysAndValues_ = 0;
  int matchingCookies_ = 0;
};

// Writes `bytes` to a new file, replacing any; false when it cannot be created.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
// A version block naming the company, in two-byte text, as the scan's company search of a
// file's raw bytes finds it.
std::string CompanyBlock(std::string_view company);
void RemoveFolderTree(const std::string& folder);

}  // namespace kestrian::bench
