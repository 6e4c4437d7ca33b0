// Step lists the session tester found and shrank, kept as plain regression tests: each replays a fault
// that was mended at its cause, and must now run through with every invariant holding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/session/editors_session.h"
#include "tests/session/grid_session.h"

namespace {

struct Found {
  const char* What;
  uint64_t Seed;
  std::vector<session::Step> Steps;
};

const Found kGridFound[] = {
    {"An open editor shows the record that takes the row of a deleted one", 1,
     {
         {7, 3939602468u, 676206446u, 3783473612u},   // Enter
         {10, 1241810864u, 3828489141u, 3296978767u},  // Ctrl+Del, answered OK
     }},
    {"Tab out of a typed date stores it in the record", 1,
     {
         {5, 1331477409u, 3042530475u, 1775987363u},  // tab
         {20, 1951037248u, 1908622061u, 934093630u},  // click in list
         {0, 3967477779u, 1393015395u, 927687925u},   // type
         {5, 1957960789u, 3417934820u, 2226534840u},  // tab
     }},
    {"Footers leave out a posted record that the filter hides", 1,
     {
         {24, 4058474351u, 721670897u, 659401363u},   // filter
         {0, 2131786073u, 765192168u, 3109251558u},   // type
         {20, 3797077301u, 698412980u, 2954484268u},  // click in list
         {0, 3543788349u, 4138496002u, 2126673882u},  // type
         {24, 316887027u, 3639808864u, 2235631186u},  // filter
         {20, 1795453327u, 1896644574u, 936340328u},  // click in list
         {0, 2031299613u, 2063568084u, 4002019224u},  // type
         {21, 2383668707u, 3600826388u, 3321828527u},  // wheel
     }},
    {"A title dragged to move its column first stores the text typed in the cell", 1,
     {
         {22, 2863000566u, 678127392u, 998578472u},   // resize
         {14, 2912634755u, 3911679329u, 2815368654u},  // click cell
         {2, 1874756385u, 360707511u, 4141335511u},   // arrow
         {2, 1414102950u, 475179249u, 1660387999u},   // arrow
         {0, 1493694616u, 398358841u, 2441904695u},   // type
         {17, 1738498913u, 3177738423u, 532042386u},  // move column
     }},
    {"Text typed with the pick list open survives the list closing on a title click", 7,
     {
         {2, 1161162940u, 3655894887u, 2032245874u},  // arrow
         {0, 3361090663u, 1218065559u, 3465345244u},  // type
         {0, 1098774551u, 2139910038u, 36961660u},    // type
         {24, 387223519u, 1721836233u, 1066549552u},  // filter
         {16, 4006582313u, 496576484u, 2426000017u},  // size column
         {14, 172541634u, 2642754638u, 3905564125u},  // click cell
         {0, 2736124641u, 839137370u, 3019701174u},   // type
         {13, 1813759184u, 2750369857u, 3142782846u},  // Alt+Down
         {0, 1050028409u, 3427936790u, 4256769388u},  // type
         {15, 674216023u, 3802863634u, 3422557748u},  // click title
     }},
    {"An editor closed while its cell is scrolled out of view does not come back over the cell left", 27,
     {
         {22, 2537583081u, 2223656470u, 2816184763u},  // resize
         {20, 1899391127u, 1150132983u, 1570931311u},  // click in list
         {19, 1620790085u, 4152451458u, 3160354817u},  // scroll bar
         {0, 4139987993u, 1816051985u, 3004253624u},  // type
         {2, 2504881530u, 2818217802u, 4022607421u},  // arrow
     }},
    {"An editor closed out of view stays closed through moved and sized columns and a filter", 19,
     {
         {16, 817459880u, 3858308682u, 1170105817u},  // size column
         {24, 1574370327u, 4062079338u, 73361538u},  // filter
         {17, 3400064570u, 1224275178u, 699588701u},  // move column
         {16, 1110917093u, 2655404540u, 4290693788u},  // size column
         {14, 4063343033u, 4038382418u, 1044319971u},  // click cell
         {20, 1682893521u, 1404047935u, 987357904u},  // click in list
         {17, 2909851344u, 1860298364u, 1563491553u},  // move column
         {22, 2267645749u, 1478357300u, 1861307784u},  // resize
         {5, 2242981132u, 723020199u, 1845655858u},  // tab
         {24, 3996666321u, 815044033u, 2892513911u},  // filter
         {2, 641733689u, 185714490u, 3028794121u},  // arrow
         {5, 3065656976u, 2009054954u, 2255227084u},  // tab
         {22, 3936866635u, 457771210u, 1987001236u},  // resize
         {20, 124778253u, 3725729884u, 2570575912u},  // click in list
         {0, 320977452u, 1155285793u, 4065098361u},  // type
         {19, 427079190u, 3400034426u, 3243860167u},  // scroll bar
         {5, 593695021u, 4160005003u, 2611803933u},  // tab
     }},
    {"An editor emptied by the user is no longer marked as changed once its empty text is posted", 29,
     {
         {1, 2410703771u, 524390596u, 1951240822u},   // backspace: the name emptied
         {3, 1484657130u, 2230085437u, 1831307914u},  // page: posted, the editor stays
         {21, 2964341536u, 2984222451u, 3803157519u},  // wheel
     }},
    {"An editor emptied on one cell opens unchanged on another empty cell", 17,
     {
         {1, 1445874938u, 586532933u, 3365417702u},   // backspace: the name emptied
         {5, 3420816549u, 1187525241u, 3929708131u},  // tab: posted
         {7, 2140243716u, 1009693997u, 1443761406u},  // Enter: the editor on the empty Notes
         {2, 698439256u, 3001474299u, 2132399095u},   // arrow
     }},
    {"A filter text edited into one the parser cannot read is refused with the parser's message", 25,
     {
         {22, 751274672u, 1923768965u, 742016915u},    // resize
         {19, 3473563851u, 3109519080u, 3614724310u},  // scroll bar
         {24, 3306072866u, 6633671u, 2181526027u},     // filter "> 100 and < 300"
         {2, 581456536u, 4048620911u, 341970127u},     // arrow
         {2, 2515843083u, 1037671973u, 2614394247u},   // arrow
         {10, 3792797518u, 560691284u, 2054623641u},   // Ctrl+Del: "> 100and < 300"
         {7, 2225282086u, 1383682701u, 489077080u},    // Enter
     }},
    {"Letting Ctrl go in the cell editor after a Ctrl-click on a title sorts", 29,
     {
         {22, 2738860701u, 2086950772u, 690532434u},   // resize
         {0, 2803639099u, 3660893716u, 3225456379u},   // type
         {26, 583686178u, 3178938138u, 3986904751u},   // Cancel: the focus on the button
         {15, 1509371612u, 3110686165u, 2935587937u},  // Ctrl-click on Born's title
     }},
    {"A smaller form while the last column's cell is edited keeps the editor and its typed text", 5,
     {
         {5, 2065006863u, 2013108083u, 2426773915u},   // tab
         {0, 3785171649u, 2867615215u, 4028672650u},   // type
         {22, 3036277500u, 2750561351u, 2739038970u},  // resize (narrower: the edited column leaves the view)
     }},
    {"A resize keeps the editor open over an empty view while a button has the focus", 21,
     {
         {24, 3974424273u, 3030251193u, 744103868u},   // filter
         {0, 2024321060u, 663225360u, 350836730u},     // type
         {17, 996692618u, 1535785157u, 1270402051u},   // move column
         {24, 3334915256u, 2770127479u, 2774286478u},  // filter (no record passes)
         {14, 1654983691u, 1924748836u, 848051993u},   // click cell
         {0, 2589349136u, 857430183u, 1419342511u},    // type
         {3, 26529452u, 1060258928u, 3997792786u},     // page
         {25, 3796537339u, 1245276233u, 3383332242u},  // Save
         {22, 2745731466u, 553850279u, 2130138601u},   // resize
     }},
    {"A font change during an edit keeps the typed text", 3,
     {
         {24, 2107967012u, 3711786369u, 4012246022u},  // filter
         {16, 2989952409u, 851936873u, 1881291868u},   // size column
         {15, 3819812730u, 1364815916u, 2025712708u},  // click title
         {24, 3831316227u, 1101545904u, 3850194084u},  // filter
         {17, 1313210051u, 1624732903u, 1175515878u},  // move column
         {2, 3773605661u, 1918948980u, 1507850717u},   // arrow
         {0, 3873491266u, 179867130u, 552201681u},     // type
         {14, 199064900u, 4048504437u, 1220858514u},   // click cell
         {0, 818189800u, 63124776u, 3957114124u},      // type
         {23, 1801408276u, 3852820703u, 61108629u},    // font
     }},
    {"An editor hidden by its cell leaving the view does not come back after the grid stops editing", 32,
     {
         {24, 3402317354u, 1708364588u, 2271434332u},  // filter (no record passes)
         {16, 523066991u, 476555138u, 2865405906u},    // size column
         {16, 782397475u, 219384688u, 2263979463u},    // size column
         {16, 1099659882u, 1424125476u, 1907004440u},  // size column
         {22, 964272009u, 803606878u, 2926710884u},    // resize
         {16, 3470386378u, 2866054638u, 3300164384u},  // size column
         {14, 561728568u, 3534928104u, 769763994u},    // click cell
         {20, 3591519509u, 3608290496u, 2064992905u},  // click in list
         {19, 3940042202u, 3366977551u, 2627897185u},  // scroll bar
         {15, 4274558899u, 1063639785u, 3810576833u},  // click title
         {6, 1147897344u, 30211762u, 3693586987u},     // F2
         {20, 3848425166u, 3791276119u, 3407229629u},  // click in list
         {2, 1076344918u, 657338650u, 3933464100u},    // arrow
         {22, 1230861626u, 4214800138u, 280902385u},   // resize
     }},
    {"An item only browsed to in the pick list gives way to the typed text when a click elsewhere closes it", 4,
     {
         {14, 0u, 2u, 1u},  // click cell: City
         {0, 0u, 1u, 1u},   // type "Li", completed to "Lima"
         {1, 0u, 0u, 0u},   // backspace: "Li"
         {13, 0u, 0u, 0u},  // Alt+Down
         {2, 1u, 0u, 0u},   // arrow Down: "Oslo"
         {18, 3u, 0u, 1u},  // click indicator
     }},
    {"A filter condition the column refuses still ends the filter edit", 4,
     {
         {14, 0u, 6u, 1u},  // click cell: Born
         {2, 0u, 0u, 0u},   // arrow Up: the filter cell
         {0, 0u, 0u, 0u},   // type "Ann"
         {14, 0u, 6u, 1u},  // click cell: "'Ann' is not a valid date and time"
         {6, 0u, 0u, 0u},   // F2
         {0, 0u, 0u, 0u},   // type
         {25, 0u, 0u, 0u},  // Save
     }},
    {"Text typed in a cell scrolled out of view survives a key on the grid", 4,
     {
         {14, 0u, 1u, 1u},    // click cell: Name
         {0, 0u, 9u, 0u},     // type "Lisbon"
         {19, 700u, 0u, 0u},  // scroll bar: page right, the Name column leaves the view
         {19, 700u, 0u, 0u},  // scroll bar
         {0, 0u, 9u, 0u},     // type on the grid
         {19, 5u, 0u, 0u},    // scroll bar: page left, the editor comes back
         {19, 5u, 0u, 0u},    // scroll bar
         {25, 0u, 0u, 0u},    // Save
     }},
    {"A resize that leaves the edited cell no room beside a wide frozen column keeps its typed text", 4,
     {
         {16, 99u, 0u, 0u},      // size column (the frozen one, wider)
         {16, 99u, 0u, 0u},      // size column
         {16, 99u, 0u, 0u},      // size column
         {16, 99u, 0u, 0u},      // size column
         {16, 99u, 0u, 0u},      // size column
         {16, 99u, 0u, 0u},      // size column
         {16, 99u, 0u, 0u},      // size column
         {14, 0u, 1u, 1u},       // click cell (Name of record 1)
         {0, 1u, 1u, 1u},        // type
         {22, 0u, 0u, 0u},       // resize (420 wide: the frozen column fills the client width)
         {22, 499u, 300u, 0u},   // resize (919 wide: the editor shows again with the typed text)
         {2, 1u, 0u, 0u},        // arrow (Down posts it)
     }},
    {"A click on a check box that posts the edited record toggles the record that was under the mouse", 11,
     {
         {24, 3001607420u, 326360572u, 519189689u},    // filter
         {20, 761200059u, 266080010u, 3793771265u},    // click in list: a Kind cell
         {17, 847571457u, 504223117u, 3355509788u},    // move column
         {1, 1031042431u, 627531735u, 3195379381u},    // backspace: the Kind changes
         {20, 1571579099u, 2004068637u, 3171542820u},  // click in list: twice on an Active box rows below
     }},
    {"A filter text erased to a bare operator and left for the next filter is refused with the parser's message", 11,
     {
         {24, 3001607420u, 326360572u, 519189689u},    // filter
         {17, 847571457u, 504223117u, 3355509788u},    // move column
         {24, 2480750213u, 2350382108u, 3386817593u},  // filter: "<> 3" into Born, refused as no date
         {1, 1131913193u, 2724439245u, 3006684158u},   // backspace: "<> "
         {24, 2774239795u, 4074377294u, 1019368592u},  // filter: "<>" is left and refused
     }},
    {"Tab out of a cell gives way from an item only browsed to in its pick list to the typed text", 4,
     {
         {14, 0u, 2u, 1u},  // click cell: City
         {0, 0u, 1u, 1u},   // type "Li", completed to "Lima"
         {1, 0u, 0u, 0u},   // backspace: "Li"
         {13, 0u, 0u, 0u},  // Alt+Down
         {2, 1u, 0u, 0u},   // arrow Down: "Oslo"
         {5, 0u, 0u, 0u},   // tab: "Li" is stored, not "Oslo"
         {25, 0u, 0u, 0u},  // Save
     }},
    {"A resize that closes the pick list gives way from a browsed item to the typed text", 4,
     {
         {14, 0u, 2u, 1u},  // click cell: City
         {0, 0u, 1u, 1u},   // type "Li", completed to "Lima"
         {1, 0u, 0u, 0u},   // backspace: "Li"
         {13, 0u, 0u, 0u},  // Alt+Down
         {2, 1u, 0u, 0u},   // arrow Down: "Oslo"
         {22, 0u, 0u, 0u},  // resize (smallest): the editor is shown again, the list closes
         {25, 0u, 0u, 0u},  // Save
     }},
    {"A resize that closes the pick list gives way from a browsed item to the cell's text", 4,
     {
         {14, 0u, 2u, 1u},  // click cell: City
         {6, 0u, 0u, 0u},   // F2
         {13, 0u, 0u, 0u},  // Alt+Down
         {2, 1u, 0u, 0u},   // arrow Down: another city
         {22, 0u, 0u, 0u},  // resize (smallest): the list closes
     }},
};

const Found kEditorsFound[] = {
    {"A click on the check box while the masked code is incomplete does not toggle it", 38,
     {
         {11, 2932146401u, 540424426u, 749686016u},   // click button
         {4, 1718942773u, 3275963126u, 4058584079u},  // tab
         {0, 1734789170u, 293636526u, 1443041518u},   // type
         {10, 1042852493u, 3526503747u, 3980487737u},  // click control
         {0, 3307611476u, 4194166642u, 1069018984u},  // type
         {15, 200315357u, 1825883803u, 4021468226u},   // Save
     }},
    {"A click on the check box while the date edit holds a date the field refuses does not toggle it", 3,
     {
         {11, 1940223469u, 128819585u, 2912985734u},  // click button
         {0, 3243830861u, 400696083u, 1501221582u},   // type
         {15, 2830084501u, 3332914954u, 4283721683u},  // Save
         {12, 1426536937u, 1216403647u, 2045255846u},  // click in list
         {6, 2271490795u, 210284344u, 554494153u},    // Esc
         {14, 2011933515u, 754275142u, 4011342922u},  // prior/next
     }},
};

// Step lists that meet faults being mended on other branches: played only when TRESSORA_SESSION_AWAITING
// names their mend (see grid_session.h), until those mends are merged.
struct Awaiting {
  const char* What;
  const char* Mend;
  bool Editors;
  uint64_t Seed;
  std::vector<session::Step> Steps;
};

// (None at present: the resize and font lists were mended and moved to kGridFound.)
const std::vector<Awaiting> kAwaiting = {};

}  // namespace

TEST(SessionRegression, StepListsAwaitingTheirMendsHoldWhenAskedFor) {
  int played = 0;
  for (const Awaiting& a : kAwaiting) {
    if (!session::AwaitingMend(a.Mend)) continue;
    SCOPED_TRACE(a.What);
    ++played;
    session::Outcome o =
        session::Play(a.Editors ? session::MakeEditorsSession : session::MakeGridSession, a.Seed, a.Steps);
    EXPECT_FALSE(o.Failed) << "step " << o.At << ": " << o.Message;
  }
  if (!played) GTEST_SKIP() << "no mend named in TRESSORA_SESSION_AWAITING";
}

// Found by the tester, mended on another branch.
TEST(SessionRegression, EscThatClosesTheMRUListKeepsTheTypedText) {
  const std::vector<session::Step> steps = {
      {0, 1184776138u, 3501462251u, 601000489u},   // type "Bo": the MRU list opens
      {6, 3829089221u, 3739322371u, 2137350192u},  // Esc
  };
  session::Outcome o = session::Play(session::MakeEditorsSession, 8, steps);
  EXPECT_FALSE(o.Failed) << "step " << o.At << ": " << o.Message;
}

TEST(SessionRegression, GridStepListsFoundByTheTesterHold) {
  for (const Found& f : kGridFound) {
    SCOPED_TRACE(f.What);
    session::Outcome o = session::Play(session::MakeGridSession, f.Seed, f.Steps);
    EXPECT_FALSE(o.Failed) << "step " << o.At << ": " << o.Message;
  }
}

TEST(SessionRegression, EditorsStepListsFoundByTheTesterHold) {
  for (const Found& f : kEditorsFound) {
    SCOPED_TRACE(f.What);
    session::Outcome o = session::Play(session::MakeEditorsSession, f.Seed, f.Steps);
    EXPECT_FALSE(o.Failed) << "step " << o.At << ": " << o.Message;
  }
}
