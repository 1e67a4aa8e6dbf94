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
    "转换失败，",
    "无法启动：",
    "没有生成：",
    "解码失败",
    "解码超时",
    "：",
    "中间文件未能删除：",
    "找不到语音文件：",
    "文件名含有本系统代码页无法表示的字符，请改名后再试：",
    "没有找到语音文件：",
    "转换完成：成功 ",
    " 个，失败 ",
    " 个。",
    "失败列表：",
    "转换失败.txt",
    "无法创建输出文件夹：",
    "无法写入文件夹：",
    "磁盘空间不足：",
    "已有的 MP3 是只读文件，保持原样：",
    "已有的 MP3 无法替换（可能正被其他程序使用），保持原样：",
    "失败列表无法写入：",
};

}  // namespace res
