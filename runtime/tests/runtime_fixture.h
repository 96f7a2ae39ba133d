// A fresh simulated machine and a fresh run-time state for every test of the runtime.
#pragma once

#include "records.h"
#include "runtime_state.h"
#include "sim_fixture.h"
#include "test_dialogs.h"

#include <cstdint>
#include <string>
#include <vector>

class RuntimeTest : public SimMachineTest {
protected:
    void SetUp() override {
        SimMachineTest::SetUp();
        ResetRuntimeState();
        RegisterTestDialogs();
    }
    void TearDown() override {
        ResetRuntimeState();
        SimMachineTest::TearDown();
    }
};

// Records as the tests write them into files and tables.
inline TCodeEntry Code(const std::string& name, std::int64_t code) {
    TCodeEntry e{};
    SetField(e.Name, name);
    e.Code = code;
    return e;
}

inline TApplEntry Appl(const std::string& name, const std::string& cls,
                       const std::string& path = "", std::int32_t wnd = 0) {
    TApplEntry e{};
    SetField(e.Name, name);
    SetField(e.ClassName, cls);
    SetField(e.Path, path);
    e.Wnd = wnd;
    return e;
}

inline TFuncEntry Func(const std::string& name, int mode, const std::string& keys) {
    TFuncEntry f{};
    SetField(f.CmdName, name);
    f.RcMode = static_cast<std::int16_t>(mode);
    SetField(f.Keys, keys);
    return f;
}

inline TCmdStep Step(const std::string& name, int step, int count, int type,
                     const std::string& p1 = "", const std::string& p2 = "",
                     const std::string& p3 = "", const std::string& p4 = "") {
    TCmdStep s{};
    SetField(s.Name, name);
    s.Step = static_cast<std::int16_t>(step);
    s.StepCount = static_cast<std::int16_t>(count);
    s.CmdType = static_cast<std::int16_t>(type);
    SetField(s.Param1, p1);
    SetField(s.Param2, p2);
    SetField(s.Param3, p3);
    SetField(s.Param4, p4);
    return s;
}

// The bytes of a record file holding the records.
template <class T>
std::string Bytes(const std::vector<T>& records) {
    std::string s;
    for (const T& r : records)
        s.append(reinterpret_cast<const char*>(&r), sizeof r);
    return s;
}
