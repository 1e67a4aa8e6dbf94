#include "resources/constant_data.h"

namespace res {

const ConstantData kConstantData = {
    {1, 0},
    "已停止",
    "请选择MobileQQ 文件夹 或 MicroMsg 文件夹",
    "请选择MobileQQ 文件夹 或 MicroMsg 文件夹 或者 拖入单个后缀为.slk、.amr的语音文件",
    "转换成功",
    "打开 MobileQQ 文件夹 或 MicroMsg 文件夹",
    "MobileQQ",
    "MicroMsg",
    ".slk",
    ".amr",
    "\\silk_v3_decoder.exe",
    "\\ffmpeg.exe",
    "Console Window Host",
    "转换失败，无法启动：",
    "转换失败，没有生成：",
};

}  // namespace res
