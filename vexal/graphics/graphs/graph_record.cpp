#include "vexal/graphics/graphs/graph_record.h"

namespace vexal {

void SetGraphSource(GraphRecord* record, std::string_view file_name, std::string_view directory) {
  record->FileName.assign(file_name);
  record->Directory.assign(directory);
  record->NotRestorable = file_name.size() > kGraphFileNameMax ? 1 : 0;
}

}  // namespace vexal
