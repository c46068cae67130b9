#include "player/form3_controls.h"

namespace Form3Controls {
namespace {
using Player::Control;

constexpr std::array<Definition, Player::ControlCount> kTable{{
    {Control::Label2, "Label2", Kind::Label, 0, 0, 975, 255, 0, "正在播放第", ""},
    {Control::Label4, "Label4", Kind::Label, 960, 0, 495, 255, 4, "", ""},
    {Control::Label5, "Label5", Kind::Label, 2040, 0, 615, 255, 5, "首歌曲", ""},
    {Control::Label6, "Label6", Kind::Label, 1440, 0, 615, 255, 8, "", ""},
    {Control::Check1, "Check1", Kind::CheckBox, 2880, 0, 1215, 180, 26, "循环这一首", "设定循环方式"},
    {Control::Label3, "Label3", Kind::Label, 5640, 0, 615, 375, 1, "", ""},
    {Control::bofang, "bofang", Kind::Button, 120, 360, 375, 495, 12, ">", "播放"},
    {Control::zanting, "zanting", Kind::Button, 480, 360, 375, 495, 13, ">|", "暂停"},
    {Control::tingzhi, "tingzhi", Kind::Button, 840, 360, 375, 495, 14, "-", "停止"},
    {Control::kuaijin, "kuaijin", Kind::Button, 1200, 360, 375, 495, 15, ">>", "快进"},
    {Control::kuaitui, "kuaitui", Kind::Button, 1560, 360, 375, 495, 16, "<<", "快退"},
    {Control::Sliguocheng, "Sliguocheng", Kind::Slider, 1920, 360, 4335, 495, 9, "", ""},
    {Control::Text1, "Text1", Kind::TextBox, 120, 960, 735, 270, 18, "Text1", "播放的时间"},
    {Control::Text3, "Text3", Kind::TextBox, 1200, 960, 735, 270, 20, "Text3", "播放的帧数"},
    {Control::Text4, "Text4", Kind::TextBox, 2280, 960, 735, 270, 21, "Text4", "歌曲总帧数"},
    {Control::Text5, "Text5", Kind::TextBox, 3360, 960, 735, 270, 22, "Text5", "采样频率"},
    {Control::Text6, "Text6", Kind::TextBox, 4440, 960, 735, 270, 23, "Text6", "传输速率"},
    {Control::Text2, "Text2", Kind::TextBox, 5520, 960, 735, 270, 19, "Text2", "歌曲总时间"},
    {Control::Command3, "Command3", Kind::Button, 600, 1320, 975, 375, 6, "第一首", ""},
    {Control::Command1, "Command1", Kind::Button, 2040, 1320, 975, 375, 2, "上一首", ""},
    {Control::Command2, "Command2", Kind::Button, 3480, 1320, 975, 375, 3, "下一首", ""},
    {Control::Command4, "Command4", Kind::Button, 4920, 1320, 975, 375, 7, "最后一首", ""},
    {Control::Sliyin, "Sliyin", Kind::Slider, 6360, 120, 375, 1455, 10, "", "调节声音大小"},
    {Control::Slishengdaoo, "Slishengdaoo", Kind::Slider, 6840, 120, 375, 1455, 11, "", "调节左右声道"},
    {Control::Label1, "Label1", Kind::Label, 7200, 120, 135, 255, 24, "L", ""},
    {Control::Label7, "Label7", Kind::Label, 7200, 1320, 135, 255, 25, "R", ""},
}};

constexpr bool inEnumOrder()
{
    for (size_t i = 0; i < kTable.size(); ++i) {
        if (int(kTable[i].id) != int(i))
            return false;
    }
    return true;
}
static_assert(inEnumOrder(), "one row per Player::Control, in the enum's order");
} // namespace

const std::array<Definition, Player::ControlCount> &table()
{
    return kTable;
}

const Definition &definition(Player::Control control)
{
    return kTable[size_t(control)];
}

} // namespace Form3Controls
