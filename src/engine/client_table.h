// Clients: each 16-byte client id names one client, with its own position
// blocks, transaction and locks. The default client of BTRCALL has the id of
// all zero bytes.
#ifndef VEVERAVE_ENGINE_CLIENT_TABLE_H_
#define VEVERAVE_ENGINE_CLIENT_TABLE_H_

#include <array>
#include <cstdint>
#include <map>
#include <memory>

#include "engine/transaction.h"
#include "veverave/btrieve.h"

namespace vv::engine {

using ClientId = std::array<uint8_t, BTR_CLIENT_ID_SIZE>;

struct Client {
  ClientId id{};
  std::unique_ptr<Transaction> txn;
  int cursor_count = 0;
  uint32_t txn_id() const { return txn ? txn->id : 0; }
};

class ClientTable {
 public:
  // The client with this id, created on first use (may throw std::bad_alloc).
  Client* Get(const ClientId& id);
  // Forgets a client that has nothing open and no transaction.
  void DropIfIdle(Client* client);
  std::size_t size() const { return clients_.size(); }
  template <typename F>
  void ForEach(F f) const {
    for (const auto& [id, client] : clients_) f(*client);
  }

 private:
  std::map<ClientId, std::unique_ptr<Client>> clients_;
};

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_CLIENT_TABLE_H_
