#include "files/paths.h"

#include "stats/error.h"

namespace fragtally {

void ReplaceFile(const std::string& path, const std::string& contents) {
  platform::FileFailure failure;
  if (!platform::Files().ReplaceFile(path, contents, failure)) RaiseFileError(ErrorKind::WriteFailed, failure);
}

}  // namespace fragtally
