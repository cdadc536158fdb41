#include "ui/ModuleStore.h"

#include "operations/Session.h"

namespace vorn {

ModuleKey ModuleKeyOf(const Link& link) {
  return ModuleKey{link.pickedDevice(), link.opts.ModuleAddress,
                   link.opts.CheckXaddress ? link.opts.ExtAddress : -1};
}

ModuleStore::~ModuleStore() = default;

void ModuleStore::keep(const ModuleKey& key, const Session& doc, std::any windowPart) {
  Entry& e = kept_[key];
  if (!e.doc) e.doc = std::make_unique<Session>(noPort_, SystemClock(), prompter_);
  e.doc->copyDocumentFrom(doc);
  e.window = std::move(windowPart);
}

const std::any* ModuleStore::restore(const ModuleKey& key, Session& doc) const {
  const auto it = kept_.find(key);
  if (it == kept_.end()) return nullptr;
  doc.copyDocumentFrom(*it->second.doc);
  return &it->second.window;
}

const Session* ModuleStore::document(const ModuleKey& key) const {
  const auto it = kept_.find(key);
  return it == kept_.end() ? nullptr : it->second.doc.get();
}

const std::any* ModuleStore::windowPart(const ModuleKey& key) const {
  const auto it = kept_.find(key);
  return it == kept_.end() ? nullptr : &it->second.window;
}

std::vector<ModuleKey> ModuleStore::keys() const {
  std::vector<ModuleKey> out;
  for (const auto& [k, e] : kept_) out.push_back(k);
  return out;
}

}  // namespace vorn
