// The string list and the component base class with its ownership of components.
#pragma once

#include <string>
#include <vector>

class TStringList {
public:
    using iterator = std::vector<std::string>::iterator;
    using const_iterator = std::vector<std::string>::const_iterator;

    int Count() const;
    // Out of range throws EStringListError "List index out of bounds (n)".
    std::string& operator[](int index);
    const std::string& operator[](int index) const;
    std::string& Strings(int index);
    const std::string& Strings(int index) const;

    int Add(std::string s);
    // index 0..Count.
    void Insert(int index, std::string s);
    void Delete(int index);
    void Clear();
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);
    // Without regard to case; -1 when absent.
    int IndexOf(const std::string& s) const;

    // Every line followed by CR LF.
    std::string Text() const;
    // CR LF, LF alone and CR alone each end a line; a last line without an ending counts, a
    // final line ending adds no empty line.
    void SetText(const std::string& text);
    void Assign(const TStringList& source);

    // Lines of the form name=value.
    // The part before the first '='; "" when the line has none.
    std::string Names(int index) const;
    // The part after the first '='; "" when the line has none.
    std::string ValueFromIndex(int index) const;
    // The value of the first line with that name; "" when absent.
    std::string Values(const std::string& name) const;
    // An empty value deletes the line; an absent name appends "name=value"; otherwise the line
    // is replaced in place.
    void SetValue(const std::string& name, const std::string& value);
    // The first line whose name equals name without regard to case; -1 when absent.
    int IndexOfName(const std::string& name) const;

    // The whole file as lines (SetText). A missing or unopenable file throws EFOpenError, a
    // failed read EReadError, no memory EOutOfMemory; the list is unchanged on failure.
    void LoadFromFile(const std::string& windowsPath);
    // Text(), creating or replacing the file. Throws EFCreateError or EWriteError.
    void SaveToFile(const std::string& windowsPath) const;

    iterator begin() { return lines_.begin(); }
    iterator end() { return lines_.end(); }
    const_iterator begin() const { return lines_.begin(); }
    const_iterator end() const { return lines_.end(); }

private:
    void CheckIndex(int index) const;
    std::vector<std::string> lines_;
};

// A component owns the components created with it as owner, keeps them in creation order and
// deletes them (last first) when it is deleted; a component deleted earlier leaves its owner's
// list.
class TComponent {
public:
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    std::string Name;
    int Tag = 0;

    TComponent* Owner() const;
    int ComponentCount() const;
    // Out of range throws EStringListError.
    TComponent* Components(int index) const;
    // By name without regard to case; nullptr when absent or the name is empty.
    TComponent* FindComponent(const std::string& name) const;
    virtual const char* ClassName() const;

private:
    TComponent* owner_;
    std::vector<TComponent*> components_;
};
