// The batch button: the account list window is shown and filled with the
// accounts of the folder in the path box.
#include <string>
#include <vector>

#include "app/account_listing.h"
#include "app/batch_state.h"
#include "app/handlers.h"
#include "app/path_text.h"
#include "app/runtime_access.h"
#include "app/source_selection.h"
#include "app/window_ids.h"

namespace app {
namespace {

// Calls `visit` with every subfolder name that does not begin with "."
// and `between` after every entry the search returns; stops when `between`
// says so.
template <class Visit, class Between>
void ForEachSubfolder(const std::string& folder, Visit visit, Between between) {
  const std::string base = WithSeparator(folder);
  FileSearch search;
  for (std::string name = search.FirstFolder(base + "*.*"); !name.empty(); name = search.Next()) {
    if (name[0] != '.') visit(base, name);
    if (!between()) return;
  }
}

// The list is drawn as it fills, but not item by item: a folder of ten
// thousand accounts would spend its time repainting.
class DrawnNowAndThen {
 public:
  DrawnNowAndThen() : last_(Now()) { HoldAccountListDrawing(true); }
  ~DrawnNowAndThen() { HoldAccountListDrawing(false); }
  DrawnNowAndThen(const DrawnNowAndThen&) = delete;
  DrawnNowAndThen& operator=(const DrawnNowAndThen&) = delete;
  void Tick(uint32_t now) {
    if (now - last_ < kDrawEveryMs) return;
    HoldAccountListDrawing(false);  // painted by the events handled next
    HoldAccountListDrawing(true);
    last_ = now;
  }

 private:
  static constexpr uint32_t kDrawEveryMs = 100;
  uint32_t last_;
};

// The QQ accounts. Pending events are handled while the folder is read, so
// the list window keeps answering: the user may close it, press the batch
// button again or choose an account meanwhile; each of those overtakes this
// listing, which then stops. Looking at the queue costs a trip to the
// window system: after the first hundred entries, it is looked at once
// every few milliseconds instead of after every entry; a user cannot tell.
void FillQqAccounts(const std::string& folder, uint32_t listing) {
  constexpr int32_t kEachOfTheFirst = 100;
  constexpr uint32_t kEventsEveryMs = 10;
  ClearAccountList();
  DrawnNowAndThen drawing;
  uint32_t handled = Now();
  int32_t entries = 0;
  ForEachSubfolder(
      folder,
      [](const std::string&, const std::string& name) {
        if (IsAllDigits(name.c_str())) AddAccount(name);
      },
      [listing, &handled, &drawing, &entries] {
        const uint32_t now = Now();
        if (++entries > kEachOfTheFirst && now - handled < kEventsEveryMs) return true;
        drawing.Tick(now);
        ProcessPendingEvents();
        handled = Now();
        return Batch().listing_serial == listing;
      });
}

void FillWeChatAccounts(const std::string& folder) {
  std::vector<std::string> names;
  ListSubfolders(folder, &names, false);
  for (const std::string& name : names) {
    if (IsWeChatAccountName(name)) AddAccount(name);
  }
}

}  // namespace

int32_t ListSubfolders(const std::string& folder, std::vector<std::string>* list, bool full_paths) {
  ForEachSubfolder(
      folder,
      [list, full_paths](const std::string& base, const std::string& name) {
        list->push_back(full_paths ? base + name : name);
      },
      [] { return true; });
  return static_cast<int32_t>(list->size());
}

bool OnBatchConvertClick(const rt::EventWord*, int32_t, int64_t*) {
  const uint32_t listing = ++Batch().listing_serial;
  SetWindowShown(kAccountListWindow, true);
  SetWindowUsable(kAccountListWindow, true);
  SetWindowUsable(kMainWindow, false);
  ClearAccountList();
  const std::string folder = PathBoxText();
  if (KindOfDataFolder(folder) == DataFolderKind::kQq) {
    FillQqAccounts(folder, listing);
  } else {
    FillWeChatAccounts(folder);
  }
  return false;
}

}  // namespace app
