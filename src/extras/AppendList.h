// AppendList - appending one object list to another.
#pragma once

#include <memory>
#include <vector>

#include "platform/Containers.h"

// Appends the source's non-null elements to the target; 0 when either list is null or the source is
// empty, else 1. A list appended to itself doubles once.
template <typename T>
int AppendList(TList<T>* target, const TList<T>* source)
{
    if (!target || !source || source->IsEmpty())
        return 0;
    // A snapshot first: appending to the very list being walked would never end.
    const std::vector<typename TList<T>::Ref> items(source->begin(), source->end());
    for (const auto& item : items)
        if (item)
            target->AddLast(item);
    return 1;
}
template <typename T>
int AppendList(const std::shared_ptr<TList<T>>& target, const std::shared_ptr<TList<T>>& source)
{
    return AppendList(target.get(), static_cast<const TList<T>*>(source.get()));
}
