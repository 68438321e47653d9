#pragma once
// Classes assembled from method groups (one file per group) join the groups' rows into
// one table that lives as long as the process, ending with the null sentinel.

#include <vector>

namespace korvan::py {

// Each call makes its own table (never freed: the class keeps pointing into it), so two
// classes whose groups have the same types never share one.
template <class T, class... Groups>
T* joined(const Groups&... groups) {
    auto* table = new std::vector<T>();
    (table->insert(table->end(), groups.begin(), groups.end()), ...);
    table->push_back(T{});
    return table->data();
}

}  // namespace korvan::py
