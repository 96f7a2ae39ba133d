// The object base, the string list and the component base class.
#include "toolkit/classes.h"

#include "toolkit/exceptions.h"
#include "toolkit/sysutils.h"

#include "file_bytes.h"

#include <cp1251.h>
#include <windows.h>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

using toolkit_detail::FileHandle;
using toolkit_detail::kChunk;

namespace {

[[noreturn]] void ThrowListIndex(int index) {
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

} // namespace

const char* TObject::ClassName() const {
    return "TObject";
}

// ---- TStringList ----

const char* TStringList::ClassName() const {
    return "TStringList";
}

void TStringList::Changing() {
    if (OnChanging)
        OnChanging(this);
}

void TStringList::Changed() {
    if (OnChange)
        OnChange(this);
}

int TStringList::Count() const {
    return static_cast<int>(lines_.size());
}

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        ThrowListIndex(index);
}

std::string& TStringList::operator[](int index) {
    CheckIndex(index);
    return lines_[static_cast<std::size_t>(index)];
}

const std::string& TStringList::operator[](int index) const {
    CheckIndex(index);
    return lines_[static_cast<std::size_t>(index)];
}

std::string& TStringList::Strings(int index) {
    return (*this)[index];
}

const std::string& TStringList::Strings(int index) const {
    return (*this)[index];
}

int TStringList::Add(std::string s) {
    Changing();
    lines_.push_back(std::move(s));
    Changed();
    return Count() - 1;
}

void TStringList::Insert(int index, std::string s) {
    if (index < 0 || index > Count())
        ThrowListIndex(index);
    Changing();
    lines_.insert(lines_.begin() + index, std::move(s));
    Changed();
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    Changing();
    lines_.erase(lines_.begin() + index);
    Changed();
}

void TStringList::Put(int index, std::string s) {
    CheckIndex(index);
    Changing();
    lines_[static_cast<std::size_t>(index)] = std::move(s);
    Changed();
}

void TStringList::Clear() {
    Changing();
    lines_.clear();
    Changed();
}

void TStringList::Exchange(int index1, int index2) {
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(lines_[static_cast<std::size_t>(index1)], lines_[static_cast<std::size_t>(index2)]);
    Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    if (curIndex == newIndex)
        return;
    Changing();
    std::string s = std::move(lines_[static_cast<std::size_t>(curIndex)]);
    lines_.erase(lines_.begin() + curIndex);
    lines_.insert(lines_.begin() + newIndex, std::move(s));
    Changed();
}

int TStringList::IndexOf(const std::string& s) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(lines_[static_cast<std::size_t>(i)], s))
            return i;
    return -1;
}

std::string TStringList::Text() const {
    std::size_t size = 0;
    for (const auto& line : lines_)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const auto& line : lines_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void TStringList::SetText(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text, start, i - start);
            ++i;
            if (c == '\r' && i < text.size() && text[i] == '\n')
                ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        lines.emplace_back(text, start, text.size() - start);
    Changing();
    lines_ = std::move(lines);
    Changed();
}

void TStringList::Assign(const TStringList& source) {
    if (this == &source)
        return;
    Changing();
    lines_ = source.lines_;
    Changed();
}

std::string TStringList::Names(int index) const {
    const std::string& line = (*this)[index];
    const std::size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string TStringList::ValueFromIndex(int index) const {
    const std::string& line = (*this)[index];
    const std::size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

std::string TStringList::Values(const std::string& name) const {
    const int index = IndexOfName(name);
    return index < 0 ? std::string() : ValueFromIndex(index);
}

void TStringList::SetValue(const std::string& name, const std::string& value) {
    const int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0)
            Delete(index);
    } else if (index < 0) {
        Add(name + "=" + value);
    } else {
        Changing();
        lines_[static_cast<std::size_t>(index)] = name + "=" + value;
        Changed();
    }
}

int TStringList::IndexOfName(const std::string& name) const {
    for (int i = 0; i < Count(); ++i) {
        const std::string& line = lines_[static_cast<std::size_t>(i)];
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos &&
            cp1251::EqualNoCase(std::string_view(line).substr(0, eq), name))
            return i;
    }
    return -1;
}

void TStringList::LoadFromFile(const std::string& windowsPath) {
    const std::string text = toolkit_detail::ReadFileBytes(windowsPath);
    try {
        SetText(text);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory("Out of memory");
    }
}

void TStringList::SaveToFile(const std::string& windowsPath) const {
    const std::string text = Text();
    FileHandle file(CreateFileA(windowsPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        throw EFCreateError("Cannot create file \"" + windowsPath + "\"");
    std::size_t done = 0;
    while (done < text.size()) {
        const std::size_t want = std::min(kChunk, text.size() - done);
        DWORD written = 0;
        if (!WriteFile(file.Get(), text.data() + done, static_cast<DWORD>(want), &written,
                       nullptr) ||
            written == 0)
            throw EWriteError("Stream write error");
        done += written;
    }
}

// ---- TComponent ----

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_)
        owner_->components_.push_back(this);
}

TComponent::~TComponent() {
    while (!components_.empty()) {
        TComponent* c = components_.back();
        components_.pop_back();
        c->owner_ = nullptr;
        c->BeforeDestruction();
        delete c;
    }
    if (owner_) {
        auto& list = owner_->components_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

TComponent* TComponent::Owner() const {
    return owner_;
}

int TComponent::ComponentCount() const {
    return static_cast<int>(components_.size());
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        ThrowListIndex(index);
    return components_[static_cast<std::size_t>(index)];
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty())
        return nullptr;
    for (TComponent* c : components_)
        if (AnsiSameText(c->Name, name))
            return c;
    return nullptr;
}

const char* TComponent::ClassName() const {
    return "TComponent";
}

void TComponent::Free() {
    BeforeDestruction();
    delete this;
}
