#pragma once
#include <QString>
#include <functional>
#include <string>

namespace kvtest {

// File modes stop nothing for root, and CI runs as root. A check of what a read-only file or
// folder refuses therefore runs with an ordinary user's rights: as root in a forked child that
// has become "nobody", after the test's folder `handOver` was given to that account (it is
// given back afterwards). `check` returns what went wrong as text; empty means it held.
// Run as an ordinary user already, `check` simply runs here.
std::string asOrdinaryUser(const QString& handOver, const std::function<std::string()>& check);

} // namespace kvtest
