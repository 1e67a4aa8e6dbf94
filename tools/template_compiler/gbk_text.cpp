#include "tools/template_compiler/gbk_text.h"

#include <iconv.h>

namespace template_compiler {
namespace {

// One iconv conversion descriptor, closed when it goes.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t Get() const { return cd_; }

 private:
  iconv_t cd_;
};

}  // namespace

bool Utf8ToGbk(const std::string& utf8, std::string* gbk) {
  gbk->clear();
  if (utf8.empty()) return true;
  Converter converter("GBK", "UTF-8");
  if (!converter.Ok()) return false;
  std::string in = utf8;
  // Room to spare: GBK never needs more bytes than UTF-8.
  std::string out(utf8.size() * 2 + 4, '\0');
  char* in_p = &in[0];
  size_t in_left = in.size();
  char* out_p = &out[0];
  size_t out_left = out.size();
  const size_t r = iconv(converter.Get(), &in_p, &in_left, &out_p, &out_left);
  if (r == static_cast<size_t>(-1) || in_left != 0) return false;
  out.resize(out.size() - out_left);
  *gbk = out;
  return true;
}

}  // namespace template_compiler
