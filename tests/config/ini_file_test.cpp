#include "config/ini_file.h"

#include <gtest/gtest.h>

using vestok::IniFile;

TEST(IniFile, FirstMatchingSectionAndKeyWin) {
  IniFile ini;
  ini.LoadFromText("a=0\n[S]\nk=1\nK=2\n[s]\nk=3\n");
  EXPECT_EQ(ini.Value("s", "K"), "1");
  EXPECT_FALSE(ini.Value("T", "k"));
  EXPECT_FALSE(ini.Value("S", "a"));
}

TEST(IniFile, CommentsAndOddLinesAreNotKeys) {
  IniFile ini;
  ini.LoadFromText("[S]\n;k=1\nnonsense\n k = v = w \n");
  EXPECT_FALSE(ini.Value("S", ";k"));
  EXPECT_EQ(ini.Value("S", "k"), "v = w");
}

TEST(IniFile, NewKeysGoAfterTheLastLineOfTheirSection) {
  IniFile ini;
  ini.LoadFromText("[A]\nx=1\n\n[B]\ny=2");
  ini.SetValue("a", "z", "3");
  ini.SetValue("B", "w", "4");
  ini.SetValue("C", "v", "5");
  EXPECT_EQ(ini.Text(), "[A]\nx=1\nz=3\n\n[B]\ny=2\nw=4\n[C]\nv=5\n");
}
