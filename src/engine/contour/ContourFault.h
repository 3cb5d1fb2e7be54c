#pragma once
#include <stdexcept>
#include <string>

namespace tervane {

// The Draw run's message for faults in the data itself; files it cannot
// write or read (plot file, glyph files) have messages naming them.
inline const std::string kContourFaultMessage =
    "数据记录中可能有不完整数据或两点数值相同的情况,请进入[编辑]检查数据! ";
// Draw refuses the 3D network, which has no triangles to trace.
inline const std::string k3dNetworkForViewOnly = "三维网络格式仅能用于绘制三维立体图！";

// Thrown inside the Draw run for input it cannot follow (a level sequence
// too long, a division by zero, a broken network). The run catches it,
// tidies up and shows kContourFaultMessage; the sentence is for debugging.
class ContourFault : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace tervane
