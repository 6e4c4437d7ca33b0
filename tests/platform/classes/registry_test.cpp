#include <gtest/gtest.h>

#include "platform/classes/classes.h"

namespace {
class IShape : public IInterface {
  DECLARE_INTERFACE_ID(IShape, "{5C1A7E20-3B4D-4E8F-9A61-2D7C0B9E4F13}")
  virtual int Corners() = 0;
};
class IColoured : public IInterface {
  DECLARE_INTERFACE_ID(IColoured, "{E2B9D4C1-7F60-4A2B-8C3D-1E5F6A7B8C9D}")
  virtual int Colour() = 0;
};

class TSquare : public TPersistent, public IShape {
  DECLARE_CLASS(TSquare, TPersistent)
  int Corners() override { return 4; }
};

// Hands out the interface of an object it holds.
class TPainter : public TPersistent {
  DECLARE_CLASS(TPainter, TPersistent)
  struct TInk : TObject, IColoured {
    int Colour() override { return 0xFF; }
  } Ink;
  bool GetInterface(const TGUID& IID, void*& Obj) override {
    if (IID == IColoured::IID()) {
      Obj = static_cast<IColoured*>(&Ink);
      return true;
    }
    return TPersistent::GetInterface(IID, Obj);
  }
};

class TGroupRoot : public TPersistent {
  DECLARE_CLASS(TGroupRoot, TPersistent)
};
class TOtherRoot : public TPersistent {
  DECLARE_CLASS(TOtherRoot, TPersistent)
};
class TButtonA : public TGroupRoot {
  DECLARE_CLASS(TButtonA, TGroupRoot)
};
class TButtonB : public TOtherRoot {
  DECLARE_CLASS(TButtonB, TOtherRoot)
};
class TLoose : public TPersistent {
  DECLARE_CLASS(TLoose, TPersistent)
};
class TJoined : public TLoose {
  DECLARE_CLASS(TJoined, TLoose)
};
}  // namespace

TEST(Interfaces, SupportsByIdentifierWithoutReferenceCounting) {
  TSquare square;
  TPainter painter;
  IShape* shape = nullptr;
  EXPECT_TRUE(Supports(&square, IShape::IID(), shape));
  ASSERT_NE(shape, nullptr);
  EXPECT_EQ(shape->Corners(), 4);
  IColoured* colour = nullptr;
  EXPECT_FALSE(Supports(&square, IColoured::IID(), colour));
  EXPECT_EQ(colour, nullptr);
  EXPECT_TRUE(Supports(&painter, IColoured::IID(), colour));
  EXPECT_EQ(colour->Colour(), 0xFF);
  EXPECT_FALSE(Supports(&painter, IShape::IID()));
  EXPECT_FALSE(Supports(nullptr, IShape::IID()));
  EXPECT_TRUE(Supports(&square, IInterface::IID()));
  EXPECT_EQ(GUIDToString(IShape::IID()), "{5C1A7E20-3B4D-4E8F-9A61-2D7C0B9E4F13}");
  EXPECT_EQ(StringToGUID("5c1a7e20-3b4d-4e8f-9a61-2d7c0b9e4f13"), IShape::IID());
  for (const char* bad : {"", "{5C1A7E20-3B4D-4E8F-9A61-2D7C0B9E4F1}", "{5C1A7E20+3B4D-4E8F-9A61-2D7C0B9E4F13}",
                          "{5C1A7E20-3B4D-4E8F-9A61-2D7C0B9E4F1G}"})
    EXPECT_THROW(StringToGUID(bad), EConvertError) << bad;
}

TEST(ClassRegistry, GroupsPreferTheActiveGroup) {
  StartClassGroup(TGroupRoot::StaticClass());
  StartClassGroup(TOtherRoot::StaticClass());
  GroupDescendentsWith(TLoose::StaticClass(), TOtherRoot::StaticClass());
  EXPECT_EQ(ClassGroupOf(TButtonA::StaticClass()), TGroupRoot::StaticClass());
  EXPECT_EQ(ClassGroupOf(TJoined::StaticClass()), TOtherRoot::StaticClass());
  EXPECT_EQ(ClassGroupOf(TSquare::StaticClass()), nullptr);

  // One name, a class in each group.
  RegisterClass("TButtonX", TButtonA::StaticClass(), [](TComponent*) -> TObject* { return new TButtonA(); });
  RegisterClass("TButtonX", TButtonB::StaticClass(), [](TComponent*) -> TObject* { return new TButtonB(); });
  RegisterClass("TButtonX", TButtonB::StaticClass(), [](TComponent*) -> TObject* { return nullptr; });  // kept out
  TClass before = ActivateClassGroup(TButtonB::StaticClass());
  EXPECT_EQ(FindClass("tbuttonx").Class, TButtonB::StaticClass());
  EXPECT_NE(CreateObject("TButtonX"), nullptr);
  ActivateClassGroup(TGroupRoot::StaticClass());
  EXPECT_EQ(FindClass("TButtonX").Class, TButtonA::StaticClass());
  ActivateClassGroup(before);

  RegisterClasses<TLoose, TJoined>();
  EXPECT_EQ(GetClass(TJoined::StaticClass())->Class, TJoined::StaticClass());
  UnRegisterClasses<TLoose, TJoined>();
  EXPECT_EQ(GetClass("TJoined"), nullptr);
  EXPECT_THROW(FindClass("TJoined"), EClassNotFound);
  UnRegisterClass("TButtonX");
  EXPECT_EQ(GetClass("TButtonX"), nullptr);
  try {
    FindClass("TNoSuchThing");
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message(), "Class TNoSuchThing not found");
  }
}
