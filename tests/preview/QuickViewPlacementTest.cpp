// Where the preview window opens and what closing it stores, driven as a person moves,
// maximizes and closes it, over a fresh registry store per test.

#include "preview/QuickView.h"

#include "platform/forms/HeadlessBackend.h"
#include "platform/winreg/WinReg.h"
#include "registry/RegObject.h"
#include "tests/winreg/TempRegistry.h"
#include "wizard/WizardState.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace {

using foliant::forms::Form;
using foliant::forms::HeadlessBackend;
using foliant::forms::Rect;
using foliant::forms::WindowState;
using foliant::preview::QuickView;
using foliant::registry::RegObject;
using foliant::registry::Variant;

constexpr std::int32_t kCurrentUser = static_cast<std::int32_t>(foliant::winreg::HKEY_CURRENT_USER);

class QuickViewPlacement : public ::testing::Test {
protected:
    void SetUp() override { foliant::Wizard::ResetState(); }
    void TearDown() override { foliant::Wizard::ResetState(); }

    Variant Stored(const char* name) {
        RegObject reg;
        return reg.RegRead(kCurrentUser, foliant::preview::kPlacementKey, name, Variant());
    }
    void Store(const char* name, const Variant& value, std::int32_t type) {
        RegObject reg;
        reg.RegWrite(kCurrentUser, foliant::preview::kPlacementKey, name, value, type);
    }

    // One preview run: the window is shown modally and `act` plays the person's part; the
    // window is closed afterwards if the person left it open. Returns where it opened.
    Rect Run(const std::function<void(Form&)>& act = {}) {
        Rect opened;
        WindowState openedState = WindowState::Normal;
        backend_->SetDriver([&](Form& form) {
            opened = {form.Left(), form.Top(), form.Width(), form.Height()};
            openedState = form.WindowState();
            if (act) {
                act(form);
            }
            if (form.Visible()) {
                form.UserClose();
            }
        });
        foliant::preview::ShowQuickView(nullptr);
        lastState_ = openedState;
        return opened;
    }

    Rect Centred() {
        QuickView probe;
        probe.Load(); // the designed window with its frame
        const int width = probe.Width();
        const int height = probe.Height();
        probe.Unload();
        return {(backend_->ScreenWidth() - width) / 2, (backend_->ScreenHeight() - height) / 3,
                width, height};
    }

    foliant::testing::TempRegistry registry_;
    std::shared_ptr<HeadlessBackend> backend_ = std::make_shared<HeadlessBackend>();
    foliant::forms::BackendScope scope_{backend_};
    WindowState lastState_ = WindowState::Normal;
};

TEST_F(QuickViewPlacement, FirstRunOpensTheDesignedWindowCentredAThirdFromTheTop) {
    const Rect opened = Run([](Form& form) {
        EXPECT_EQ(form.Caption(), "Preview");
        EXPECT_EQ(form.ScaleWidth(), foliant::preview::kDesignedWidth);
        EXPECT_EQ(form.ScaleHeight(), foliant::preview::kDesignedHeight);
    });
    EXPECT_EQ(opened, Centred());
    // A third of the free height above, two thirds below.
    const int below = backend_->ScreenHeight() - opened.top - opened.height;
    EXPECT_NEAR(below, 2 * opened.top, 2);
}

TEST_F(QuickViewPlacement, ClosingANormalWindowStoresItAndTheNextRunOpensExactlyThere) {
    Run([](Form& form) { form.UserMove(1500, 1200, 9000, 7005); });
    EXPECT_EQ(Stored(foliant::preview::kPositionValue), Variant("1500,1200,9000,7005"));
    EXPECT_EQ(Stored(foliant::preview::kStateValue), Variant(std::int32_t{0}));

    EXPECT_EQ(Run(), (Rect{1500, 1200, 9000, 7005}));
    EXPECT_EQ(lastState_, WindowState::Normal);
}

TEST_F(QuickViewPlacement, AMaximizedWindowStoresItsStateAndKeepsTheEarlierPosition) {
    Run([](Form& form) { form.UserMove(3000, 600, 10005, 6000); });
    Run([](Form& form) { form.UserSetWindowState(WindowState::Maximized); });
    EXPECT_EQ(Stored(foliant::preview::kStateValue), Variant(std::int32_t{2}));
    EXPECT_EQ(Stored(foliant::preview::kPositionValue), Variant("3000,600,10005,6000"));

    // The next run opens maximized; restoring it returns to the stored position.
    Rect restored;
    Run([&](Form& form) {
        EXPECT_EQ(form.WindowState(), WindowState::Maximized);
        form.UserSetWindowState(WindowState::Normal);
        restored = {form.Left(), form.Top(), form.Width(), form.Height()};
    });
    EXPECT_EQ(restored, (Rect{3000, 600, 10005, 6000}));
    EXPECT_EQ(Stored(foliant::preview::kStateValue), Variant(std::int32_t{0}));
}

TEST_F(QuickViewPlacement, AMinimizedWindowStoresNothing) {
    Run([](Form& form) { form.UserMove(1500, 1500, 9000, 7000); });
    Run([](Form& form) {
        form.UserMove(4500, 4500, 9000, 7000);
        form.UserSetWindowState(WindowState::Minimized);
    });
    EXPECT_EQ(Stored(foliant::preview::kPositionValue), Variant("1500,1500,9000,7000"));
    EXPECT_EQ(Stored(foliant::preview::kStateValue), Variant(std::int32_t{0}));
}

TEST_F(QuickViewPlacement, PositionsThatAreNotFourNumbersOrAreOffScreenOpenCentred) {
    const int right = backend_->ScreenWidth();
    const int bottom = backend_->ScreenHeight();
    const std::string cases[] = {
        "1500,1200,9000",                                      // three parts
        "1500,1200,9000,7000,1",                               // five parts
        "left,top,width,height",                               // four parts, not numbers
        "1500,1200,9000,",                                     // an empty part
        "1500,1200,9000.5,7000",                               // not whole twips
        "1500,1200,0,7000",                                    // no width
        "1500,1200,9000,-15",                                  // a negative height
        "-20000,-20000,9000,7000",                             // above and left of the screen
        std::to_string(right + 100) + ",1200,9000,7000",       // a monitor since unplugged
        "1500," + std::to_string(bottom - 100) + ",9000,7000", // only a sliver shows
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        Store(foliant::preview::kPositionValue, Variant(text), 1);
        EXPECT_EQ(Run(), Centred());
    }
}

TEST_F(QuickViewPlacement, APositionOnASecondScreenIsKept) {
    const int right = backend_->ScreenWidth();
    backend_->SetExtraScreens({{right, 0, 1280 * 15, 1024 * 15}});
    const std::string text = std::to_string(right + 1500) + ",900,9000,7000";
    Store(foliant::preview::kPositionValue, Variant(text), 1);
    EXPECT_EQ(Run(), (Rect{right + 1500, 900, 9000, 7000}));
}

TEST_F(QuickViewPlacement, TheViewerCoversTheInnerAreaAfterEveryResize) {
    Run([](Form& form) {
        auto& viewer = form.Control("vrViewer1");
        const auto covers = [&] {
            return viewer.Left() == 0 && viewer.Top() == 0 && viewer.Width() == form.ScaleWidth() &&
                   viewer.Height() == form.ScaleHeight();
        };
        form.UserMove(600, 600, 12000, 9000);
        EXPECT_TRUE(covers());
        form.UserSetWindowState(WindowState::Maximized);
        EXPECT_TRUE(covers());
        form.UserSetWindowState(WindowState::Normal);
        EXPECT_TRUE(covers());
    });
}

} // namespace
