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
  // Why a voice file was not converted. A single-file run says "转换失败，"
  // and the reason; a batch lists "<voice file>：<reason>" lines. The path
  // of the program or file concerned follows a reason that ends in "：".
  char failed[sizeof("转换失败，")];
  char cannot_start[sizeof("无法启动：")];
  char not_produced[sizeof("没有生成：")];
  char decode_failed[sizeof("解码失败")];
  char decode_timed_out[sizeof("解码超时")];
  char voice_unreadable[sizeof("无法读取语音文件")];
  char voice_too_long[sizeof("语音过长（超过 30 分钟）")];
  char colon[sizeof("：")];
  char intermediate_left[sizeof("中间文件未能删除：")];
  // A press of the convert-one button without a voice file to convert.
  char missing_voice_file[sizeof("找不到语音文件：")];
  // A dropped or given name the code page cannot hold.
  char unusable_name[sizeof("文件名含有本系统代码页无法表示的字符，请改名后再试：")];
  // The end of a batch that did not convert everything.
  char no_voice_files[sizeof("没有找到语音文件：")];
  char summary_done[sizeof("转换完成：成功 ")];
  char summary_failed[sizeof(" 个，失败 ")];
  char summary_end[sizeof(" 个。")];
  char failure_list[sizeof("失败列表：")];
  char failure_list_file[sizeof("转换失败.txt")];
  char cannot_create_folder[sizeof("无法创建输出文件夹：")];
  // The output side: a folder the converters cannot write to, a full disk,
  // an earlier MP3 that is kept as it is, and a list that was not written.
  char cannot_write_folder[sizeof("无法写入文件夹：")];
  char disk_full[sizeof("磁盘空间不足：")];
  char old_mp3_read_only[sizeof("已有的 MP3 是只读文件，保持原样：")];
  char old_mp3_in_use[sizeof("已有的 MP3 无法替换（可能正被其他程序使用），保持原样：")];
  char failure_list_not_written[sizeof("失败列表无法写入：")];
  // A batch without failures whose earlier list stays (another program holds it).
  char failure_list_not_removed[sizeof("以前的失败列表无法删除：")];
};

extern const ConstantData kConstantData;

}  // namespace res
