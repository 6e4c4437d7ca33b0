// The resource-string table: message texts by id and by name, filled by each library's start-up.
#include <map>

#include "platform/rtl/sysutils.h"

namespace {
struct TTable {
  std::map<int, std::string> ById;
  std::map<std::string, std::string> ByName;
};
TTable& Table() {
  static TTable t;  // built on first use, so any unit's start-up may register
  return t;
}
}  // namespace

void RegisterResourceString(int Id, const std::string& Name, const std::string& Text) {
  Table().ById[Id] = Text;
  if (!Name.empty()) Table().ByName[Name] = Text;
}
std::string LoadResString(int Id) {
  auto it = Table().ById.find(Id);
  return it == Table().ById.end() ? std::string() : it->second;
}
bool FindResourceString(const std::string& Name, std::string& Text) {
  auto it = Table().ByName.find(Name);
  if (it == Table().ByName.end()) return false;
  Text = it->second;
  return true;
}
