// A table of named records (layers, line types, ...) found by name without regard to case (as CAD
// programs do) and by handle.
#pragma once

#include "engine/db/Entity.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace RkDb {

// ASCII upper-case copy, the key of name look-ups.
std::string TableKey(const std::string& name);

template <class Record> class SymbolTable
{
public:
    // Adds the record, or replaces the one of the same name (the later one wins, as in CAD
    // programs reading a table with a duplicate); returns its index.
    std::int32_t Add(Record record)
    {
        const std::string key = TableKey(record.name);
        const auto found = m_byName.find(key);
        std::int32_t index;
        if (found != m_byName.end()) {
            index = found->second;
            m_records[static_cast<std::size_t>(index)] = std::move(record);
        } else {
            index = static_cast<std::int32_t>(m_records.size());
            m_records.push_back(std::move(record));
            m_byName.emplace(key, index);
        }
        const Handle h = m_records[static_cast<std::size_t>(index)].handle;
        if (h != 0)
            m_byHandle[h] = index;
        return index;
    }

    // Records the handle of an existing record (a DXF block gets its handle from its table
    // entry and its contents from the BLOCKS section).
    void SetHandle(std::int32_t index, Handle handle)
    {
        m_records[static_cast<std::size_t>(index)].handle = handle;
        if (handle != 0)
            m_byHandle[handle] = index;
    }

    // Index of the record of that name, or -1.
    std::int32_t Find(const std::string& name) const
    {
        const auto found = m_byName.find(TableKey(name));
        return found == m_byName.end() ? -1 : found->second;
    }
    std::int32_t FindHandle(Handle handle) const
    {
        const auto found = m_byHandle.find(handle);
        return found == m_byHandle.end() ? -1 : found->second;
    }

    std::int32_t Count() const { return static_cast<std::int32_t>(m_records.size()); }
    bool Valid(std::int32_t index) const { return index >= 0 && index < Count(); }
    Record& operator[](std::int32_t index) { return m_records[static_cast<std::size_t>(index)]; }
    const Record& operator[](std::int32_t index) const
    {
        return m_records[static_cast<std::size_t>(index)];
    }
    typename std::vector<Record>::iterator begin() { return m_records.begin(); }
    typename std::vector<Record>::iterator end() { return m_records.end(); }
    typename std::vector<Record>::const_iterator begin() const { return m_records.begin(); }
    typename std::vector<Record>::const_iterator end() const { return m_records.end(); }

private:
    std::vector<Record> m_records;
    std::unordered_map<std::string, std::int32_t> m_byName;
    std::unordered_map<Handle, std::int32_t> m_byHandle;
};

} // namespace RkDb
