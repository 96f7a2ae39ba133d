// A fresh simulated machine and run-time state with the real dialogs registered.
#pragma once

#include "dialogs.h"
#include "osd_fixture.h"

class DialogTest : public OsdFixture {
protected:
    void SetUp() override {
        OsdFixture::SetUp();
        RegisterDialogs();
    }
};
