#include "common/forms/Instance.h"

#include <unordered_map>

namespace {
// A deleted form (a test, the registry forgetting a button) leaves a null pointer: the next
// Instance<F>() makes a new one.
std::unordered_map<std::type_index, QPointer<QWidget>>& instances() {
    static std::unordered_map<std::type_index, QPointer<QWidget>> table;
    return table;
}
} // namespace

namespace InstancesFormes {

QWidget* trouver(std::type_index type) {
    const auto it = instances().find(type);
    return it == instances().end() ? nullptr : it->second.data();
}

void garder(std::type_index type, QWidget* forme) {
    instances()[type] = forme;
}

void detruire(std::type_index type) {
    const auto it = instances().find(type);
    if (it == instances().end())
        return;
    QPointer<QWidget> forme = it->second;
    instances().erase(it);
    delete forme.data();
}

void detruireToutes() {
    auto table = std::move(instances());
    instances().clear();
    for (auto& [type, forme] : table)
        delete forme.data();
}

} // namespace InstancesFormes
