// The object and component base classes, properties, sets, events and the string list.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

class TObject {
public:
    TObject() = default;
    virtual ~TObject() = default;
    virtual const char* ClassName() const;

protected:
    TObject(const TObject&) = default;
    TObject& operator=(const TObject&) = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// A property of an object: reading and writing go through the owner's getter and setter, so
// that system code reads as it would with the classic library (`Width = 10; if (Visible)`).
template <typename T, typename O>
class Property {
public:
    using Getter = T (O::*)() const;
    using Setter = void (O::*)(T);

    Property(O* owner, Getter get, Setter set) : owner_(owner), get_(get), set_(set) {}
    Property(const Property&) = delete;

    T Get() const { return (owner_->*get_)(); }
    operator T() const { return Get(); }
    T operator()() const { return Get(); }

    Property& operator=(T value) {
        (owner_->*set_)(std::move(value));
        return *this;
    }
    Property& operator=(const Property& other) { return *this = other.Get(); }
    template <typename U>
    Property& operator+=(const U& v) {
        return *this = static_cast<T>(Get() + v);
    }
    template <typename U>
    Property& operator-=(const U& v) {
        return *this = static_cast<T>(Get() - v);
    }

    // Class-typed values (texts, sets) compare and concatenate as their values do.
    friend bool operator==(const Property& a, const T& b) requires std::is_class_v<T> {
        return a.Get() == b;
    }
    friend T operator+(const Property& a, const T& b) requires std::is_same_v<T, std::string> {
        return a.Get() + b;
    }
    friend T operator+(const T& a, const Property& b) requires std::is_same_v<T, std::string> {
        return a + b.Get();
    }
    friend T operator+(const Property& a, const char* b) requires std::is_same_v<T, std::string> {
        return a.Get() + b;
    }
    friend T operator+(const char* a, const Property& b) requires std::is_same_v<T, std::string> {
        return a + b.Get();
    }

private:
    O* owner_;
    Getter get_;
    Setter set_;
};

// A property that can only be read.
template <typename T, typename O>
class ReadProperty {
public:
    using Getter = T (O::*)() const;

    ReadProperty(const O* owner, Getter get) : owner_(owner), get_(get) {}
    ReadProperty(const ReadProperty&) = delete;
    ReadProperty& operator=(const ReadProperty&) = delete;

    T Get() const { return (owner_->*get_)(); }
    operator T() const { return Get(); }
    T operator()() const { return Get(); }

private:
    const O* owner_;
    Getter get_;
};

// A set of the values of a small enumeration (at most 32 values).
template <typename E>
class Set {
public:
    Set() = default;
    Set(std::initializer_list<E> values) {
        for (E v : values)
            bits_ |= Bit(v);
    }
    bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
    Set& operator<<(E v) {
        bits_ |= Bit(v);
        return *this;
    }
    Set& operator>>(E v) {
        bits_ &= ~Bit(v);
        return *this;
    }
    void Clear() { bits_ = 0; }
    bool Empty() const { return bits_ == 0; }
    bool operator==(const Set&) const = default;

private:
    static std::uint32_t Bit(E v) { return 1u << static_cast<unsigned>(v); }
    std::uint32_t bits_ = 0;
};

enum TShiftStateEnum { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = Set<TShiftStateEnum>;

// A copy takes the lines only, never the change handlers of the source.
class TStringList : public TObject {
public:
    TStringList() = default;
    TStringList(const TStringList& other) : TObject(), lines_(other.lines_) {}
    TStringList& operator=(const TStringList& other) {
        Assign(other);
        return *this;
    }

    // Called before and after every change made through the list's operations (not through a
    // reference obtained from operator[]).
    TNotifyEvent OnChanging;
    TNotifyEvent OnChange;

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
    // Replaces a line, as a change.
    void Put(int index, std::string s);
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

    const char* ClassName() const override;

private:
    void CheckIndex(int index) const;
    void Changing();
    void Changed();
    std::vector<std::string> lines_;
};

// A component owns the components created with it as owner, keeps them in creation order and
// deletes them (last first) when it is deleted; a component deleted earlier leaves its owner's
// list.
class TComponent : public TObject {
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
    const char* ClassName() const override;
    // Runs just before the object is deleted, while every derived part still stands (an owner
    // deleting its components and Free call it; a plain delete does not).
    virtual void BeforeDestruction() {}
    // BeforeDestruction, then delete.
    void Free();

private:
    TComponent* owner_;
    std::vector<TComponent*> components_;
};
