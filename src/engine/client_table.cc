#include "engine/client_table.h"

namespace vv::engine {

Client* ClientTable::Get(const ClientId& id) {
  auto it = clients_.find(id);
  if (it != clients_.end()) return it->second.get();
  auto client = std::make_unique<Client>();
  client->id = id;
  return clients_.emplace(id, std::move(client)).first->second.get();
}

void ClientTable::DropIfIdle(Client* client) {
  if (client == nullptr || client->cursor_count > 0 || client->txn) return;
  clients_.erase(client->id);
}

}  // namespace vv::engine
