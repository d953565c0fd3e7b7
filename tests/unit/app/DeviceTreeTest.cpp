#include "app/Drawing.h"
#include "tests/unit/app/AppTestMachine.h"

using apptest::MakeDevice;

namespace {

class DeviceTree : public apptest::AppTest {
 protected:
  void SetUp() override {
    Write("machine.ini", "[machine]\nComputerName=  SAMPLE-PC \n");
    Start();
    form->FormCreate();
  }
  // The texts of a node's children.
  std::vector<std::string> ChildTexts(view::NodeId node) {
    std::vector<std::string> texts;
    for (view::NodeId child : view.tree.Children(node)) texts.push_back(text::ToUtf8(view.tree.Text(child)));
    return texts;
  }
  view::NodeId Root() { return view.tree.Children(view::kNoNode).at(0); }
  view::NodeId ClassNode(size_t i) { return view.tree.Children(Root()).at(i); }
};

TEST_F(DeviceTree, RootIsTheTrimmedComputerNameAndTheOnlyExpandedNode) {
  form->ShowDeviceList({MakeDevice("Net card", "Network adapters")});
  ASSERT_EQ(view.tree.Children(view::kNoNode).size(), 1u);
  EXPECT_EQ(view.tree.Text(Root()), u"SAMPLE-PC");
  EXPECT_TRUE(view.tree.Expanded(Root()));
  EXPECT_FALSE(view.tree.Expanded(ClassNode(0)));
  EXPECT_EQ(view.tree.Device(Root()), nullptr);
}

TEST_F(DeviceTree, DevicesKeepListOrderUnderTheirClassNode) {
  form->ShowDeviceList({MakeDevice("Zeta", "Ports"), MakeDevice("alpha", "Ports"), MakeDevice("Mid", "Ports")});
  EXPECT_EQ(ChildTexts(ClassNode(0)), (std::vector<std::string>{"Zeta", "alpha", "Mid"}));
}

TEST_F(DeviceTree, ClassNodeCarriesTheFirstDeviceOfItsClass) {
  form->ShowDeviceList({MakeDevice("A", "Ports"), MakeDevice("B", "Ports")});
  EXPECT_EQ(view.tree.Device(ClassNode(0)), &form->DeviceList()[0]);
  EXPECT_EQ(view.tree.Device(view.tree.Children(ClassNode(0)).at(1)), &form->DeviceList()[1]);
}

TEST_F(DeviceTree, ClassNodesFollowTheLocaleOrderNotTheOrdinalOne) {
  form->ShowDeviceList({MakeDevice("1", "beta"), MakeDevice("2", "Gamma"), MakeDevice("3", "alpha")});
  // Ordinal order would put "Gamma" first.
  EXPECT_EQ(ChildTexts(Root()), (std::vector<std::string>{"alpha", "beta", "Gamma"}));
}

TEST_F(DeviceTree, ClassDescriptionsDifferingInCaseGiveTwoClassNodes) {
  form->ShowDeviceList({MakeDevice("1", "System devices"), MakeDevice("2", "system devices"),
                      MakeDevice("3", "System devices")});
  ASSERT_EQ(view.tree.Children(Root()).size(), 2u);
  size_t total = 0;
  for (view::NodeId c : view.tree.Children(Root())) total += view.tree.Children(c).size();
  EXPECT_EQ(total, 3u);
}

TEST_F(DeviceTree, DeviceWithoutFriendlyNameShowsItsDescription) {
  TDevice d = MakeDevice("", "Ports");
  d.Description = u"Communications Port";
  form->ShowDeviceList({d});
  EXPECT_EQ(ChildTexts(ClassNode(0)), std::vector<std::string>{"Communications Port"});
}

TEST(CompareFriendlyNames, IsOrdinalWithTheShorterPrefixFirst) {
  EXPECT_EQ(TfrmMainForm::CompareFriendlyNames(MakeDevice("Zebra", ""), MakeDevice("apple", "")), -1);
  EXPECT_EQ(TfrmMainForm::CompareFriendlyNames(MakeDevice("apple", ""), MakeDevice("Zebra", "")), 1);
  EXPECT_EQ(TfrmMainForm::CompareFriendlyNames(MakeDevice("Port", ""), MakeDevice("Port 2", "")), -1);
  EXPECT_EQ(TfrmMainForm::CompareFriendlyNames(MakeDevice("Same", ""), MakeDevice("Same", "")), 0);
}

TEST_F(DeviceTree, FilterDropsMicrosoftExactlyAndTheZeroClassAlways) {
  TDevice microsoft = MakeDevice("a", "c");
  microsoft.ProviderName = u"Microsoft";
  TDevice lowerCase = microsoft;
  lowerCase.ProviderName = u"microsoft";
  TDevice noClass = MakeDevice("b", "c");
  noClass.ClassGuid = {};
  EXPECT_FALSE(form->IncludeDevice(microsoft));
  EXPECT_TRUE(form->IncludeDevice(lowerCase));
  EXPECT_FALSE(form->IncludeDevice(noClass));

  form->mnuIncludeMicrosoftClick();
  EXPECT_TRUE(form->IncludeDevice(microsoft));
  EXPECT_FALSE(form->IncludeDevice(noClass));
  form->mnuIncludeMicrosoftClick();
  EXPECT_FALSE(view.includeMicrosoft.Checked());
}

TEST_F(DeviceTree, CommandStateFollowsTheSelection) {
  form->ShowDeviceList({MakeDevice("A", "Ports")});
  const view::NodeId device = view.tree.Children(ClassNode(0)).at(0);
  auto deviceCommands = [&] {
    return std::vector<bool>{view.verify.Enabled(), view.menuVerify.Enabled(), view.exportDriver.Enabled(),
                             view.menuExport.Enabled(), view.menuProperties.Enabled()};
  };

  form->UpdateCommandState();  // nothing selected; three nodes
  EXPECT_EQ(deviceCommands(), std::vector<bool>(5, false));
  EXPECT_TRUE(view.exportAll.Enabled());

  view.tree.Select(device);
  form->tvDevicesChange(device);
  EXPECT_EQ(deviceCommands(), std::vector<bool>(5, true));

  view.tree.Select(ClassNode(0));
  form->tvDevicesChange(ClassNode(0));
  EXPECT_EQ(deviceCommands(), std::vector<bool>(5, false));

  view.tree.Clear();
  form->UpdateCommandState();
  EXPECT_FALSE(view.exportAll.Enabled());
  EXPECT_TRUE(view.scan.Enabled());
  EXPECT_TRUE(view.submit.Enabled());
}

TEST_F(DeviceTree, DrawingAClassNodeUsesItsStateGlyphAndItsFirstDevicesIcon) {
  TDevice d = MakeDevice("A", "Ports");
  d.ClassIconIndex = 7;
  form->ShowDeviceList({d});
  const view::Rect row{0, 40, 280, 59}, textRect{38, 40, 80, 59};
  auto paint = form->tvDevicesCustomDrawItem(ClassNode(0), row, textRect, {255, 255, 255}, true);
  EXPECT_FALSE(paint.drawnByControl);
  EXPECT_EQ(paint.glyph, drawing::kGlyphCollapsedSelected);
  EXPECT_EQ(paint.glyphX, 22);
  EXPECT_EQ(paint.icon, 7);
  EXPECT_EQ(paint.textBackground, (view::Rgb{218, 234, 250}));
  EXPECT_EQ(paint.textRect.left, 38 + 16 + 6);

  view.tree.Expand(ClassNode(0));
  paint = form->tvDevicesCustomDrawItem(ClassNode(0), row, textRect, {255, 255, 255}, false);
  EXPECT_EQ(paint.glyph, drawing::kGlyphExpanded);
  EXPECT_EQ(paint.textBackground, (view::Rgb{255, 255, 255}));

  const view::NodeId device = view.tree.Children(ClassNode(0)).at(0);
  EXPECT_EQ(form->tvDevicesCustomDrawItem(device, row, textRect, {}, false).glyph, -1);
  EXPECT_TRUE(form->tvDevicesCustomDrawItem(Root(), row, textRect, {}, false).drawnByControl);
}

TEST_F(DeviceTree, ADeviceWithoutAnIconIsDrawnWithoutOneNotWithAGlyph) {
  TDevice d = MakeDevice("A", "Ports");
  d.ClassIconIndex = 0;  // the scan's index when the icon did not load
  form->ShowDeviceList({d});
  view.tree.Expand(ClassNode(0));
  const view::Rect row{0, 40, 280, 59}, textRect{38, 40, 80, 59};
  const view::NodeId device = view.tree.Children(ClassNode(0)).at(0);
  for (view::NodeId node : {ClassNode(0), device}) {
    const auto paint = form->tvDevicesCustomDrawItem(node, row, textRect, {255, 255, 255}, false);
    EXPECT_EQ(paint.icon, -1);
    EXPECT_EQ(paint.textRect.left, 38 + 16 + 6);  // the text keeps its column
  }
}

}  // namespace
