#include "app/shell/app.h"

namespace velgram {

CVelgramApp::CVelgramApp(const std::string& path) : db_(std::make_unique<Database>(path)) {}

void CVelgramApp::OpenToernooi(int id) {
  toernooi_ = TournamentRecord();
  toernooi_.id = id;
  db_->GetToernooi(toernooi_, id);
  toernooi_.id = id;
  hasToernooi_ = true;
}

void CVelgramApp::ReloadToernooi() {
  if (hasToernooi_) OpenToernooi(toernooi_.id);
}

void CVelgramApp::DropToernooi() {
  hasToernooi_ = false;
  toernooi_ = TournamentRecord();
}

}  // namespace velgram
