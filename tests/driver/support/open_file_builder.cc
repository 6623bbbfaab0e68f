#include "support/open_file_builder.h"

#include <algorithm>

#include "driver/frame/util/memory.h"
#include "driver/tables/file_record.h"

namespace vv::testing {

driver::OpenFile* OpenFileBuild(const std::vector<FieldLayout>& layouts) {
  driver::OpenFile* file = nullptr;
  driver::mvbtrMemAlloc(&file, sizeof(driver::OpenFile));
  driver::mvbtrFileRecordInit(file, true);
  file->nFields = static_cast<int32_t>(layouts.size());
  driver::mvbtrMemAlloc(&file->lpFields, sizeof(driver::FieldDesc) * (layouts.size() + 1));
  for (std::size_t i = 0; i < layouts.size(); ++i) {
    const FieldLayout& layout = layouts[i];
    driver::FieldDesc& field = file->lpFields[i + 1];
    field.nNumber = static_cast<int32_t>(i + 1);
    driver::mvbtrStrNewCpy(&field.lpszName, layout.name);
    field.nHostType = layout.hostType;
    field.nBtrType = layout.btrType;
    field.nOffset = layout.offset;
    field.nSize = layout.size;
    field.nHostLength = layout.hostLength;
    field.bNullAllowed = layout.nullable;
    file->nRecLen = std::max(file->nRecLen, layout.offset + layout.size);
  }
  return file;
}

void IndexesAdd(driver::OpenFile* file, const std::vector<int32_t>& keyLengths) {
  file->nIndexes = static_cast<int32_t>(keyLengths.size()) - 1;
  driver::mvbtrMemAlloc(&file->lpIndexes, sizeof(driver::IndexDesc) * keyLengths.size());
  for (std::size_t i = 0; i < keyLengths.size(); ++i) {
    file->lpIndexes[i].nKeyLen = keyLengths[i];
    file->lpIndexes[i].nKeyNumber = static_cast<int16_t>(i) - 1;
  }
}

}  // namespace vv::testing
