#pragma once

#include <QPointer>
#include <QWidget>
#include <typeindex>

// The single instance of each form class, as the original's global form objects: created on first use
// and kept for the whole run, so that its public variables stay readable after it unloads. The menu
// registry and every other caller get the same object through Instance<F>().
namespace InstancesFormes {
QWidget* trouver(std::type_index type);
void garder(std::type_index type, QWidget* forme);
// Deletes the kept instance of one class, or of every class (tests start afresh with it).
void detruire(std::type_index type);
void detruireToutes();
} // namespace InstancesFormes

template <class F> F& Instance() {
    if (QWidget* w = InstancesFormes::trouver(typeid(F)))
        return *static_cast<F*>(w);
    auto* f = new F;
    InstancesFormes::garder(typeid(F), f);
    return *f;
}

// The instance if it was already made, else nullptr (never makes it).
template <class F> F* InstanceExistante() {
    return static_cast<F*>(InstancesFormes::trouver(typeid(F)));
}

template <class F> void DetruireInstance() {
    InstancesFormes::detruire(typeid(F));
}
