// Bringing one graph back after its surfaces were lost: its picture is put in again.
#pragma once

namespace vexal {

// 0, or -1 when the graph cannot be brought back.
int RestoreGraph(int graph);

}  // namespace vexal
