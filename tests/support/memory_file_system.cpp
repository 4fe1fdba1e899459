#include "memory_file_system.h"

#include <algorithm>
#include <cstring>

namespace fragtally::testing {

namespace {

class MemoryInputFile : public platform::InputFile {
 public:
  explicit MemoryInputFile(std::shared_ptr<const std::string> bytes) : bytes_(std::move(bytes)) {}
  long long ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    if (offset >= bytes_->size()) return 0;
    std::size_t n = std::min(size, bytes_->size() - static_cast<std::size_t>(offset));
    std::memcpy(buffer, bytes_->data() + offset, n);
    return static_cast<long long>(n);
  }
  long long Size() override { return static_cast<long long>(bytes_->size()); }

 private:
  std::shared_ptr<const std::string> bytes_;  // the bytes as they were when opened
};

}  // namespace

bool MemoryFileSystem::IsFolder(const std::string& path) const {
  for (char separator : {'/', '\\'}) {
    probe_.assign(path).push_back(separator);
    auto it = files_.lower_bound(probe_);
    if (it != files_.end() && it->first.compare(0, probe_.size(), probe_) == 0) return true;
  }
  return false;
}

std::unique_ptr<platform::InputFile> MemoryFileSystem::OpenForReading(const std::string& path,
                                                                      platform::FileFailure* failure) {
  auto it = files_.find(path);
  if (it == files_.end()) {
    if (failure != nullptr) *failure = {platform::FileFault::NotFound, path, 2, "No such file", false};
    return nullptr;
  }
  if (auto held = held_.find(path); held != held_.end() && !held->second.reading) {
    if (failure != nullptr) *failure = {platform::FileFault::InUse, path, 32, "Sharing violation", false};
    return nullptr;
  }
  return std::make_unique<MemoryInputFile>(it->second);
}

bool MemoryFileSystem::Exists(const std::string& path) { return files_.count(path) > 0 || IsFolder(path); }

void MemoryFileSystem::RemoveTemporaries(const std::string& path) {
  const std::size_t cut = path.find_last_of("/\\");
  const std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
  const std::string base = path.substr(folder.size());
  std::erase_if(files_, [&](const auto& file) {
    const std::string& name = file.first;
    return name.starts_with(folder) && name.find_first_of("/\\", folder.size()) == std::string::npos &&
           platform::IsTemporaryOf(std::string_view(name).substr(folder.size()), base);
  });
}

bool MemoryFileSystem::WriteRefused(const std::string& path, platform::FileFailure& failure) {
  if (OnWrite) OnWrite(path, false);
  if (IsFolder(path) || (RefuseWrite && RefuseWrite(path))) {
    failure = {platform::FileFault::AccessDenied, path, 13, "Permission denied", false};
    return true;
  }
  if (auto held = held_.find(path); held != held_.end() && !held->second.replacing) {
    failure = {platform::FileFault::InUse, path, 32, "Sharing violation", false};
    return true;
  }
  return false;
}

bool MemoryFileSystem::ReplaceFile(const std::string& path, std::string_view contents, platform::FileFailure& failure) {
  if (WriteRefused(path, failure)) return false;
  Changeable(path, false).assign(contents);
  if (OnWrite) OnWrite(path, true);
  return true;
}

bool MemoryFileSystem::KeepCopy(const std::string& path, const std::string& copy, platform::FileFailure& failure) {
  if (OnWrite) OnWrite(copy, false);
  auto it = files_.find(path);
  if (it == files_.end() || Exists(copy) || (RefuseWrite && RefuseWrite(copy))) {
    failure = {platform::FileFault::AccessDenied, copy, 13, "Permission denied", false};
    return false;
  }
  if (auto held = held_.find(path); held != held_.end() && !held->second.reading) {
    failure = {platform::FileFault::InUse, path, 32, "Sharing violation", false};
    return false;
  }
  files_[copy] = it->second;
  if (OnWrite) OnWrite(copy, true);
  return true;
}

bool MemoryFileSystem::AppendToFile(const std::string& path, std::string_view bytes, platform::FileFailure& failure) {
  if (WriteRefused(path, failure)) return false;
  if (TearAppend) {
    const std::size_t part = TearAppend(path, bytes.size());
    if (part < bytes.size()) {
      Append(path, bytes.substr(0, part));
      throw TornAppend{};
    }
  }
  Append(path, bytes);
  if (OnWrite) OnWrite(path, true);
  return true;
}

std::optional<std::string> MemoryFileSystem::Read(const std::string& path) const {
  auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  return *it->second;
}

std::string_view MemoryFileSystem::View(const std::string& path) const {
  auto it = files_.find(path);
  return it == files_.end() ? std::string_view() : std::string_view(*it->second);
}

void MemoryFileSystem::Append(const std::string& path, std::string_view bytes) {
  Changeable(path, true).append(bytes);
}

std::string& MemoryFileSystem::Changeable(const std::string& path, bool keep_bytes) {
  std::shared_ptr<std::string>& file = files_[path];
  if (!file)
    file = std::make_shared<std::string>();
  else if (file.use_count() > 1)  // the reader keeps the bytes as they were
    file = std::make_shared<std::string>(keep_bytes ? *file : std::string());
  return *file;
}

}  // namespace fragtally::testing
