// The program's constant data block: its literal texts and the shared empty
// array, in one read-only block. Values pointing into it are shared and
// never freed (the runtime knows the block's range).
#pragma once

#include <cstdint>

namespace res {

struct ConstantData {
  int32_t empty_array[2];  // (1, 0): an empty one-dimensional array
  char stopped[sizeof("已停止")];
  char choose_folder[sizeof("请选择MobileQQ 文件夹 或 MicroMsg 文件夹")];
  char choose_folder_or_file[sizeof(
      "请选择MobileQQ 文件夹 或 MicroMsg 文件夹 或者 拖入单个后缀为.slk、.amr的语音文件")];
  char converted[sizeof("转换成功")];
  char browse_title[sizeof("打开 MobileQQ 文件夹 或 MicroMsg 文件夹")];
  char mobile_qq[sizeof("MobileQQ")];
  char micro_msg[sizeof("MicroMsg")];
  char slk[sizeof(".slk")];
  char amr[sizeof(".amr")];
  char decoder[sizeof("\\silk_v3_decoder.exe")];
  char encoder[sizeof("\\ffmpeg.exe")];
  char console_host[sizeof("Console Window Host")];
  // Reports of a single-file conversion that did not succeed; the path of
  // the program or file concerned follows each.
  char cannot_start[sizeof("转换失败，无法启动：")];
  char not_produced[sizeof("转换失败，没有生成：")];
};

extern const ConstantData kConstantData;

}  // namespace res
