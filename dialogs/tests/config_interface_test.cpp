// The settings dialog's interface page: filling from the settings, each control's live preview on
// the runtime's real on-screen windows, and what OK and Cancel keep of it.
#include "config_form.h"
#include "dialog_fixture.h"
#include "form_bar.h"
#include "form_info.h"
#include "form_layout.h"
#include "form_time.h"
#include "osd.h"
#include "settings_file.h"

#include <win32sim/desktop.h>
#include <win32sim/regions.h>

#include <toolkitsim/control.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

namespace {

constexpr const char* kInfoText = "Info preview";
constexpr const char* kBarText = "Bar preview";

class ConfigInterfaceTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        Runtime.language = "Rus";
        PutFile(Prog("LANG\\Rus.ini"), std::string("[Labels]\r\nlbl_txtwnd=") + kInfoText +
                                           "\r\nlbl_barwnd=" + kBarText + "\r\n");
    }

    // Opens the settings dialog as the tray menu does and runs the user's work on it. The work
    // leaves the dialog (OK, Cancel or Release); the window manager's tick, every 100 ms as the
    // main timer runs it, then closes and frees it.
    void Open(const std::function<void(TFConfig&)>& work) {
        bool ran = false;
        toolkitsim::OnModal([&](TCustomForm& form) {
            if (&form != FConfig)
                return;
            ran = true;
            work(*FConfig);
            TickUntilClosed();
        });
        Runtime.ConfigMode = 1;
        ShowForm(KindConfig);
        toolkitsim::RunFor(10);
        ASSERT_TRUE(ran) << "the dialog did not open";
        ASSERT_EQ(FConfig, nullptr) << "the dialog was not freed";
    }

    static void Ok(TFConfig& d) { toolkitsim::Click(*d.btnOk); }
    static void Cancel(TFConfig& d) { toolkitsim::Click(*d.btnCancel); }
    // Let go of the dialog without OK or Cancel, as its own close handling does.
    static void Release(TFConfig& d) { d.Finish(); }

    static bool Shown(const TForm* form) {
        if (!form)
            return false;
        const auto window = win32sim::Window(const_cast<TForm*>(form)->Handle());
        return window && window->visible && form->Visible;
    }
    static int ScreenHeightOf(TForm* form) {
        const auto window = win32sim::Window(form->Handle());
        return window ? window->bounds.bottom - window->bounds.top : -1;
    }
    static int LayeredAlpha(TForm* form) {
        const auto attributes = win32sim::WindowLayeredAttributes(form->Handle());
        return attributes ? attributes->alpha : -1;
    }
    static bool HasRegion(TForm* form) { return win32sim::WindowRegion(form->Handle()) != nullptr; }

private:
    void TickUntilClosed() {
        toolkitsim::At(100, [this] {
            OsdTick(nullptr);
            if (FConfig)
                TickUntilClosed();
        });
    }
};

// ---- filling at opening ----

TEST_F(ConfigInterfaceTest, OpeningShowsTheSettingsAndLayoutsWithoutPreviewingAnything) {
    Runtime.showcmdtext = 0;
    Runtime.timersound = 1;
    Runtime.Regions = 1;
    Runtime.Animation = 1;
    Runtime.Infobackground = 0;
    Runtime.Alpha = 1;
    Runtime.Alphavalue = 180;
    Runtime.Consttime = 0;
    Runtime.MouseSpeedStep = 0.7f;
    PutFile(Prog("config.ini"), "[FTime]\r\nHeight=60\r\nColor=255\r\n"
                                "[FInfo]\r\nHeight=90\r\nColor=65280\r\n");
    Open([&](TFConfig& d) {
        EXPECT_FALSE(d.chbCmdText->Checked);
        EXPECT_TRUE(d.chbTimerSound->Checked);
        EXPECT_TRUE(d.chbRegions->Checked);
        EXPECT_TRUE(d.chbAnimation->Checked);
        EXPECT_FALSE(d.chbInfoBackGround->Checked);
        EXPECT_TRUE(d.chbAlpha->Checked);
        EXPECT_FALSE(d.chbConstTime->Checked);
        EXPECT_EQ(d.trbAlpha->Position, 180);
        EXPECT_EQ(d.trbMSpeedUp->Position, 7);
        EXPECT_EQ(d.trbTimeSize->Position, 60);
        EXPECT_EQ(d.trbTxtSize->Position, 90);
        EXPECT_EQ(d.trbBarSize->Position, 150) << "no height: half the screen, at the maximum";
        EXPECT_EQ(d.panTimeColor->Color, 255);
        EXPECT_EQ(d.panInfoColor->Color, 65280);
        EXPECT_EQ(d.panBarColor->Color, DefaultWindowColor);
        EXPECT_EQ(Runtime.FormSlots[KindTime].Color, 255);
        EXPECT_EQ(Runtime.FormSlots[KindInfo].Color, 65280);
        EXPECT_EQ(Runtime.FormSlots[KindBar].Color, DefaultWindowColor);
        EXPECT_EQ(d.SavedSettings.Regions, 1);
        EXPECT_EQ(d.SavedSettings.Animation, 1);
        EXPECT_EQ(d.SavedSettings.Infobackground, 0);
        EXPECT_EQ(d.SavedSettings.Alpha, 1);
        EXPECT_EQ(d.SavedSettings.Alphavalue, 180);
        EXPECT_EQ(d.SavedSettings.Consttime, 0);
        // Filling fires the controls' events; while Loading they neither preview nor change.
        EXPECT_EQ(FInfo, nullptr);
        EXPECT_EQ(FBar, nullptr);
        EXPECT_EQ(FTime, nullptr);
        EXPECT_EQ(Runtime.Consttime, 0);
        EXPECT_EQ(Runtime.Alphavalue, 180);
        EXPECT_EQ(Runtime.Regions, 1);
        Release(d);
    });
}

TEST_F(ConfigInterfaceTest, TheMouseStepShowsInTenthsAndOutsideTheSliderAtItsNearerEnd) {
    struct Case {
        float step;
        int position;
    };
    for (const Case c : {Case{0.3f, 3}, Case{0.7f, 7}, Case{1.04f, 10}, Case{2.0f, 20},
                         Case{7.5f, 20}, Case{-0.4f, 0}, Case{std::nanf(""), 0},
                         Case{std::numeric_limits<float>::infinity(), 20}}) {
        SCOPED_TRACE(c.step);
        Runtime.MouseSpeedStep = c.step;
        Open([&](TFConfig& d) {
            EXPECT_EQ(d.trbMSpeedUp->Position, c.position);
            Release(d);
        });
    }
}

// ---- the size sliders ----

TEST_F(ConfigInterfaceTest, TheClockSliderShowsTheClockHeldAtThatHeight) {
    Runtime.Consttime = 0;
    Open([&](TFConfig& d) {
        toolkitsim::MoveTrackBar(*d.trbTimeSize, 70);
        ASSERT_TRUE(Shown(FTime));
        EXPECT_EQ(FTime->ClientHeight, 70);
        EXPECT_EQ(ScreenHeightOf(FTime), 70);
        EXPECT_EQ(FTime->PictureName, "clock");
        SYSTEMTIME now;
        GetLocalTime(&now);
        EXPECT_EQ(FTime->lblMsgtext->Caption(),
                  SecondsToTimeText(now.wHour * 3600 + now.wMinute * 60 + now.wSecond));
        EXPECT_EQ(FTime->Tag, 1) << "its layout is stored when it closes";
        EXPECT_EQ(Runtime.Consttime, 1);
        EXPECT_FALSE(d.chbConstTime->Checked) << "the box keeps its state";
        EXPECT_EQ(Runtime.FormSlots[KindTime].Hold, 1);
        Ticks(3 * DisplayTime);
        EXPECT_TRUE(Shown(FTime)) << "held while the page is in use";
        toolkitsim::MoveTrackBar(*d.trbTimeSize, 40);
        EXPECT_EQ(ScreenHeightOf(FTime), 40);
        Release(d);
    });
}

TEST_F(ConfigInterfaceTest, TheClockSliderWithConstTimeOffIsKeptByOkAndPutBackByCancel) {
    for (const bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        Runtime.Consttime = 0;
        Open([&](TFConfig& d) {
            toolkitsim::MoveTrackBar(*d.trbTimeSize, 80);
            ASSERT_TRUE(Shown(FTime));
            ok ? Ok(d) : Cancel(d);
        });
        EXPECT_EQ(Runtime.Consttime, ok ? 1 : 0);
        EXPECT_EQ(ConfigValue("Interface", "Consttime"), ok ? "1" : "<none>");
        Ticks(DisplayTime + 5);
        EXPECT_EQ(Shown(FTime), ok) << "kept on screen by Consttime, else closed after its time";
        if (!ok) {
            EXPECT_EQ(ConfigValue("FTime", "Height"), "80") << "the moved layout is stored";
            continue;
        }
        Open([&](TFConfig& d) {
            EXPECT_TRUE(d.chbConstTime->Checked) << "a tick at the next opening";
            Release(d);
        });
        EXPECT_TRUE(Shown(FTime));
        FTime->Free();
        Remove(Prog("config.ini"));
        Runtime.Consttime = 0;
    }
}

TEST_F(ConfigInterfaceTest, TheTextSliderShowsTheInfoPreviewHeldAtThatHeight) {
    Open([&](TFConfig& d) {
        toolkitsim::MoveTrackBar(*d.trbTxtSize, 50);
        ASSERT_TRUE(Shown(FInfo));
        EXPECT_EQ(FInfo->Height, 50);
        EXPECT_EQ(ScreenHeightOf(FInfo), 50);
        EXPECT_EQ(FInfo->lblMsgtext->Caption(), kInfoText);
        // Laid out again: the font of that height, or the largest smaller one whose text fits.
        EXPECT_LE(FInfo->Font.Size, FInfo->ClientHeight * 5 / 7);
        EXPECT_GT(FInfo->Font.Size, 20);
        EXPECT_LE(FInfo->Canvas.TextHeight("1"), FInfo->ClientHeight);
        EXPECT_EQ(Runtime.FormSlots[KindInfo].Hold, 1);
        EXPECT_EQ(FInfo->Tag, 1);
        Ticks(3 * DisplayTime);
        EXPECT_TRUE(Shown(FInfo));
        Release(d);
    });
    Ticks(DisplayTime + 2);
    EXPECT_FALSE(Shown(FInfo)) << "let go with the dialog, closed after its display time";
    EXPECT_EQ(ConfigValue("FInfo", "Height"), "50");
}

TEST_F(ConfigInterfaceTest, TheBarSliderShowsItsShareOfTheWayOnTheBarPreview) {
    Open([&](TFConfig& d) {
        struct Case {
            int position;
            int percent;
        };
        bool first = true;
        for (const Case c : {Case{12, 0}, Case{150, 100}, Case{81, 50}, Case{13, 0}}) {
            SCOPED_TRACE(c.position);
            const int topBefore = FBar ? FBar->Top() : 0;
            toolkitsim::MoveTrackBar(*d.trbBarSize, c.position);
            ASSERT_TRUE(Shown(FBar));
            EXPECT_EQ(FBar->cgBar->Progress, c.percent);
            EXPECT_EQ(FBar->Height, c.position);
            EXPECT_EQ(ScreenHeightOf(FBar), c.position);
            EXPECT_EQ(FBar->lblMsgtext->Caption(), kBarText);
            EXPECT_EQ(FBar->PictureName, "size");
            EXPECT_EQ(Runtime.FormSlots[KindBar].Hold, 1);
            EXPECT_EQ(FBar->Tag, 1);
            if (first)
                EXPECT_EQ(FBar->Top(), static_cast<int>((768 - 12) * 0.95))
                    << "a first show puts it near the bottom";
            else
                EXPECT_EQ(FBar->Top(), topBefore) << "only a first show moves it";
            first = false;
        }
        Release(d);
    });
}

// ---- the colour panels ----

TEST_F(ConfigInterfaceTest, EachColourPanelColoursItsWindowAndKeepsItOnScreen) {
    struct Case {
        const char* panel;
        std::int16_t kind;
        TColor colour;
    };
    for (const Case c :
         {Case{"panTimeColor", KindTime, 0x0000FF}, Case{"panInfoColor", KindInfo, 0x00FF00},
          Case{"panBarColor", KindBar, 0xFF0000}}) {
        SCOPED_TRACE(c.panel);
        Runtime.Consttime = 0;
        Open([&](TFConfig& d) {
            auto* panel = dynamic_cast<TPanel*>(d.FindComponent(c.panel));
            ASSERT_NE(panel, nullptr);
            const std::int32_t slotColour = Runtime.FormSlots[c.kind].Color;
            toolkitsim::QueueColor(c.colour);
            toolkitsim::DblClick(*panel);
            EXPECT_EQ(panel->Color, c.colour);
            TForm* window = Runtime.FormSlots[c.kind].Form;
            ASSERT_TRUE(Shown(window));
            EXPECT_EQ(window->Font.Color, c.colour);
            EXPECT_EQ(window->Color, c.colour ^ 0xFFFFFF) << "laid out again in the colour";
            EXPECT_EQ(window->Tag, 1);
            EXPECT_EQ(Runtime.FormSlots[c.kind].Hold, 1);
            EXPECT_EQ(Runtime.FormSlots[c.kind].Color, slotColour) << "changed only by OK";
            EXPECT_EQ(Runtime.Consttime, c.kind == KindTime ? 1 : 0);
            Ticks(3 * DisplayTime);
            EXPECT_TRUE(Shown(window));
            Cancel(d);
        });
        EXPECT_EQ(Runtime.Consttime, 0);
        for (TForm* f :
             {static_cast<TForm*>(FTime), static_cast<TForm*>(FInfo), static_cast<TForm*>(FBar)})
            if (f)
                f->Free();
    }
}

TEST_F(ConfigInterfaceTest, ACancelledColourDialogChangesNothing) {
    Open([&](TFConfig& d) {
        for (TPanel* panel : {d.panTimeColor, d.panInfoColor, d.panBarColor}) {
            toolkitsim::QueueDialogCancel(toolkitsim::DialogKind::Color);
            toolkitsim::DblClick(*panel);
            EXPECT_EQ(panel->Color, DefaultWindowColor);
        }
        EXPECT_EQ(toolkitsim::Dialogs().size(), 3u);
        EXPECT_EQ(FTime, nullptr);
        EXPECT_EQ(FInfo, nullptr);
        EXPECT_EQ(FBar, nullptr);
        EXPECT_EQ(Runtime.Consttime, 0);
        Release(d);
    });
}

TEST_F(ConfigInterfaceTest, TheBarColourOnAShownBarKeepsTheSlidersShare) {
    Open([&](TFConfig& d) {
        toolkitsim::MoveTrackBar(*d.trbBarSize, 81);
        ASSERT_TRUE(Shown(FBar));
        const unsigned shows = OsdShowCount(KindBar);
        toolkitsim::QueueColor(0x123456);
        toolkitsim::DblClick(*d.panBarColor);
        EXPECT_EQ(OsdShowCount(KindBar), shows) << "the bar on screen is not shown anew";
        EXPECT_EQ(FBar->cgBar->Progress, 50);
        EXPECT_EQ(FBar->Height, 81);
        EXPECT_EQ(FBar->Font.Color, 0x123456);
        EXPECT_EQ(FBar->lblMsgtext->Caption(), kBarText);
        Release(d);
    });
}

TEST_F(ConfigInterfaceTest, AColourChosenIsStoredWithTheWindowsLayoutOnlyAfterOk) {
    for (const bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        Open([&](TFConfig& d) {
            toolkitsim::QueueColor(0x00AA00);
            toolkitsim::DblClick(*d.panInfoColor);
            ok ? Ok(d) : Cancel(d);
        });
        EXPECT_EQ(Runtime.FormSlots[KindInfo].Color, ok ? 0x00AA00 : DefaultWindowColor);
        Ticks(DisplayTime + 2);
        ASSERT_FALSE(Shown(FInfo));
        EXPECT_EQ(ConfigValue("FInfo", "Color"),
                  std::to_string(ok ? 0x00AA00 : DefaultWindowColor));
        Remove(Prog("config.ini"));
        FInfo->Free();
        Runtime.FormSlots[KindInfo].Color = DefaultWindowColor;
    }
}

// A preview window shown and closed before the dialog opened is brought back with a display time
// and a hold, not just made visible for the next tick to close.
TEST_F(ConfigInterfaceTest, APreviewOfAWindowClosedBeforeStaysOnScreen) {
    Runtime.Consttime = 0;
    OsdShowText("earlier", "");
    OsdShowBar("earlier", 10, "");
    OsdShowClock(false);
    Ticks(DisplayTime + 2);
    ASSERT_FALSE(Shown(FInfo));
    ASSERT_FALSE(Shown(FBar));
    ASSERT_FALSE(Shown(FTime));
    Open([&](TFConfig& d) {
        toolkitsim::QueueColor(0x0000AA);
        toolkitsim::DblClick(*d.panInfoColor);
        toolkitsim::QueueColor(0x0000BB);
        toolkitsim::DblClick(*d.panBarColor);
        toolkitsim::QueueColor(0x0000CC);
        toolkitsim::DblClick(*d.panTimeColor);
        EXPECT_EQ(Runtime.Consttime, 1) << "the clock comes back as a constant clock";
        Ticks(3 * DisplayTime);
        EXPECT_TRUE(Shown(FInfo));
        EXPECT_TRUE(Shown(FBar));
        EXPECT_TRUE(Shown(FTime));
        EXPECT_EQ(FTime->Font.Color, 0x0000CC);
        EXPECT_EQ(FInfo->lblMsgtext->Caption(), kInfoText);
        FInfo->Hide();
        toolkitsim::Click(*d.chbInfoBackGround);
        Ticks(3 * DisplayTime);
        EXPECT_TRUE(Shown(FInfo));
        FInfo->Hide();
        toolkitsim::Click(*d.chbRegions);
        Ticks(3 * DisplayTime);
        EXPECT_TRUE(Shown(FInfo));
        Release(d);
    });
}

// ---- the effect boxes ----

TEST_F(ConfigInterfaceTest, TheSwitchesWithoutPreviewChangeTheirSettingAtOnce) {
    struct Case {
        TCheckBox* TFConfig::*box;
        std::uint8_t TRuntimeState::*setting;
    };
    for (const Case c : {Case{&TFConfig::chbCmdText, &TRuntimeState::showcmdtext},
                         Case{&TFConfig::chbTimerSound, &TRuntimeState::timersound},
                         Case{&TFConfig::chbAnimation, &TRuntimeState::Animation}}) {
        Open([&](TFConfig& d) {
            TCheckBox& box = *(d.*c.box);
            SCOPED_TRACE(box.Name);
            const std::uint8_t before = Runtime.*c.setting;
            toolkitsim::Click(box);
            EXPECT_EQ(Runtime.*c.setting, before ? 0 : 1);
            toolkitsim::Click(box);
            EXPECT_EQ(Runtime.*c.setting, before);
            toolkitsim::Click(box);
            EXPECT_EQ(FInfo, nullptr) << "no preview";
            Release(d);
        });
        Runtime.*c.setting = Runtime.*c.setting ? 0 : 1;
    }
}

TEST_F(ConfigInterfaceTest, CancelAfterTheCommandTextBoxLeavesCommandNamesShown) {
    Runtime.showcmdtext = 0;
    Runtime.timersound = 0;
    Open([&](TFConfig& d) {
        toolkitsim::Click(*d.chbCmdText);
        toolkitsim::Click(*d.chbTimerSound);
        Cancel(d);
    });
    EXPECT_EQ(Runtime.showcmdtext, 1);
    EXPECT_EQ(Runtime.timersound, 1);
    EXPECT_EQ(ConfigValue("Interface", "showcmdtext"), "<none>") << "written only by an OK";
}

TEST_F(ConfigInterfaceTest, TheConstTimeBoxShowsAMissingClockAndHoldsIt) {
    Open([&](TFConfig& d) {
        toolkitsim::Click(*d.chbConstTime);
        EXPECT_EQ(Runtime.Consttime, 1);
        ASSERT_TRUE(Shown(FTime));
        EXPECT_EQ(Runtime.FormSlots[KindTime].Hold, 1);
        toolkitsim::Click(*d.chbConstTime);
        EXPECT_EQ(Runtime.Consttime, 0);
        Ok(d);
    });
    EXPECT_EQ(ConfigValue("Interface", "Consttime"), "0");
    Ticks(DisplayTime + 2);
    EXPECT_FALSE(Shown(FTime));
}

TEST_F(ConfigInterfaceTest, TheRegionsBoxShapesEveryWindowThereIsAndUnshapesThem) {
    Runtime.Regions = 0;
    Open([&](TFConfig& d) {
        toolkitsim::MoveTrackBar(*d.trbBarSize, 100);
        toolkitsim::MoveTrackBar(*d.trbTimeSize, 100);
        ASSERT_EQ(FInfo, nullptr);
        toolkitsim::Click(*d.chbRegions);
        EXPECT_EQ(Runtime.Regions, 1);
        ASSERT_TRUE(Shown(FInfo)) << "the info preview comes with it";
        EXPECT_EQ(Runtime.FormSlots[KindInfo].Hold, 1);
        for (TForm* f :
             {static_cast<TForm*>(FInfo), static_cast<TForm*>(FTime), static_cast<TForm*>(FBar)}) {
            SCOPED_TRACE(f->Name);
            EXPECT_TRUE(HasRegion(f));
        }
        const RECT info = win32sim::RegionBounds(win32sim::WindowRegion(FInfo->Handle()));
        EXPECT_EQ(info.bottom, FInfo->Height - 1) << "the info window's own rounded shape";
        toolkitsim::Click(*d.chbRegions);
        EXPECT_EQ(Runtime.Regions, 0);
        for (TForm* f :
             {static_cast<TForm*>(FInfo), static_cast<TForm*>(FTime), static_cast<TForm*>(FBar)}) {
            SCOPED_TRACE(f->Name);
            EXPECT_FALSE(HasRegion(f));
        }
        Cancel(d);
    });
    EXPECT_EQ(Runtime.Regions, 0);
}

TEST_F(ConfigInterfaceTest, TheBackgroundBoxPreviewsTheTransparentBackground) {
    Runtime.Infobackground = 0;
    Open([&](TFConfig& d) {
        toolkitsim::Click(*d.chbInfoBackGround);
        EXPECT_EQ(Runtime.Infobackground, 1);
        ASSERT_TRUE(Shown(FInfo));
        EXPECT_EQ(FInfo->lblMsgtext->Caption(), kInfoText);
        EXPECT_EQ(Runtime.FormSlots[KindInfo].Hold, 1);
        EXPECT_EQ(FInfo->Color, clBlack);
        EXPECT_TRUE(FInfo->TransparentColor);
        toolkitsim::Click(*d.chbInfoBackGround);
        EXPECT_EQ(Runtime.Infobackground, 0);
        EXPECT_EQ(FInfo->Color, DefaultWindowColor ^ 0xFFFFFF);
        EXPECT_FALSE(FInfo->TransparentColor);
        toolkitsim::Click(*d.chbInfoBackGround);
        Cancel(d);
    });
    EXPECT_EQ(Runtime.Infobackground, 0) << "put back by Cancel";
}

TEST_F(ConfigInterfaceTest, AlphaBlendingAndRegionsExcludeEachOther) {
    Runtime.Regions = 0;
    Runtime.Alpha = 0;
    Runtime.Alphavalue = 200;
    Open([&](TFConfig& d) {
        toolkitsim::MoveTrackBar(*d.trbBarSize, 60);
        toolkitsim::MoveTrackBar(*d.trbTimeSize, 60);
        toolkitsim::Click(*d.chbRegions);
        ASSERT_TRUE(HasRegion(FInfo));
        ASSERT_TRUE(HasRegion(FBar));
        ASSERT_TRUE(HasRegion(FTime));

        toolkitsim::Click(*d.chbAlpha);
        EXPECT_EQ(Runtime.Alpha, 1);
        EXPECT_FALSE(d.chbRegions->Checked);
        EXPECT_FALSE(d.chbRegions->Enabled);
        EXPECT_EQ(Runtime.Regions, 0);
        EXPECT_EQ(Runtime.Alphavalue, 200) << "the slider's position";
        EXPECT_TRUE(d.trbAlpha->Enabled);
        EXPECT_TRUE(d.lblMinAlpha->Enabled);
        EXPECT_TRUE(d.lblMaxAlpha->Enabled);
        for (TForm* f :
             {static_cast<TForm*>(FInfo), static_cast<TForm*>(FTime), static_cast<TForm*>(FBar)}) {
            SCOPED_TRACE(f->Name);
            EXPECT_FALSE(HasRegion(f)) << "the regions go";
            EXPECT_EQ(f->AlphaBlendValue, 200);
            EXPECT_EQ(LayeredAlpha(f), 200);
        }

        toolkitsim::MoveTrackBar(*d.trbAlpha, 100);
        EXPECT_EQ(Runtime.Alphavalue, 100);
        EXPECT_EQ(LayeredAlpha(FInfo), 100);
        EXPECT_EQ(LayeredAlpha(FBar), 100);
        EXPECT_EQ(LayeredAlpha(FTime), 100);

        toolkitsim::Click(*d.chbAlpha);
        EXPECT_EQ(Runtime.Alpha, 0);
        EXPECT_EQ(Runtime.Alphavalue, 255);
        EXPECT_TRUE(d.chbRegions->Enabled);
        EXPECT_FALSE(d.chbRegions->Checked);
        EXPECT_FALSE(d.trbAlpha->Enabled);
        EXPECT_FALSE(d.lblMinAlpha->Enabled);
        EXPECT_FALSE(d.lblMaxAlpha->Enabled);
        EXPECT_EQ(d.trbAlpha->Position, 100) << "the slider keeps its place";
        for (TForm* f :
             {static_cast<TForm*>(FInfo), static_cast<TForm*>(FTime), static_cast<TForm*>(FBar)}) {
            SCOPED_TRACE(f->Name);
            EXPECT_EQ(LayeredAlpha(f), 255);
        }
        Cancel(d);
    });
    EXPECT_EQ(Runtime.Alpha, 0);
    EXPECT_EQ(Runtime.Alphavalue, 200) << "put back by Cancel";
}

TEST_F(ConfigInterfaceTest, OkKeepsTheTransparencyAndCancelPutsItBack) {
    for (const bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        Runtime.Alpha = 0;
        Runtime.Alphavalue = 255;
        Open([&](TFConfig& d) {
            toolkitsim::Click(*d.chbAlpha);
            toolkitsim::MoveTrackBar(*d.trbAlpha, 150);
            EXPECT_EQ(Runtime.Alphavalue, 150);
            ok ? Ok(d) : Cancel(d);
        });
        EXPECT_EQ(Runtime.Alpha, ok ? 1 : 0);
        EXPECT_EQ(Runtime.Alphavalue, ok ? 150 : 255);
        EXPECT_EQ(ConfigValue("Interface", "Alphavalue"), ok ? "150" : "<none>");
        Remove(Prog("config.ini"));
    }
}

TEST_F(ConfigInterfaceTest, TheMouseSliderAtSevenComesBackAtTheNextOpening) {
    Open([&](TFConfig& d) {
        toolkitsim::MoveTrackBar(*d.trbMSpeedUp, 7);
        EXPECT_FLOAT_EQ(Runtime.MouseSpeedStep, 0.3f) << "taken by OK only";
        Ok(d);
    });
    EXPECT_FLOAT_EQ(Runtime.MouseSpeedStep, 0.7f);
    Open([&](TFConfig& d) {
        EXPECT_EQ(d.trbMSpeedUp->Position, 7);
        Release(d);
    });
    // And from the file, as the next start of the program reads it.
    Runtime.MouseSpeedStep = 0.3f;
    std::uint8_t passed = 0, ext = 0;
    ASSERT_EQ(ReadWriteConfig(true, Runtime.Regions, Runtime.Animation, Runtime.Infobackground,
                              Runtime.Alpha, Runtime.Alphavalue, Runtime.Consttime, passed,
                              Runtime.MouseSpeedStep, ext, Runtime.language, Runtime.showcmdtext,
                              Runtime.timersound),
              0);
    EXPECT_FLOAT_EQ(Runtime.MouseSpeedStep, 0.7f);
    Open([&](TFConfig& d) {
        EXPECT_EQ(d.trbMSpeedUp->Position, 7);
        Release(d);
    });
}

} // namespace
