// The message table of the chart library and its start-up.
#include "chart/ChartConst.h"

std::string ChartMsgTest;
std::string ChartMsgFirstLegendValueMustBe0;
std::string ChartMsgLegendColorWidthMustBe0Percent;
std::string ChartMsgNoParentChartToValidateDataSource;
std::string ChartMsgNoValidDataSource;
std::string ChartMsgFillSampleValuesNumValuesMustBe0;
std::string ChartMsgDateTimeAxisCannotBeLogarithmic;
std::string ChartMsgLogarithmicAxisMinAndMaxValues;
std::string ChartMsgLabelsSeparationPercentMustBeGreater;
std::string ChartMsgAxisIncrementMustBe0;
std::string ChartMsgAxisMinimumValueMustBeMaximum;
std::string ChartMsgAxisMaximumValueMustBeMinimum;
std::string ChartMsgAxisLogarithmicBaseShouldBe1;
std::string ChartMsgMaxPointsPerPageMustBe0;
std::string ChartMsgN3DEffectPercentMustBeBetween;
std::string ChartMsgCircularSeriesDependencesAreNotAllowed;
std::string ChartMsgColorDepthWarning;
std::string ChartMsgPercentOf;
std::string ChartMsgPercentOfLines;
std::string ChartMsgPercentFormat;
std::string ChartMsgDefaultValueFormat;
std::string ChartMsgNumberFormatX10;
std::string ChartMsgAxisTitle;
std::string ChartMsgAxisLabels;
std::string ChartMsgRefreshIntervalMustBeBetween0;
std::string ChartMsgSeriesParentChartIsNotMyself;
std::string ChartMsgLine;
std::string ChartMsgPoint;
std::string ChartMsgArea;
std::string ChartMsgBar;
std::string ChartMsgHorizontalBar;
std::string ChartMsgStack;
std::string ChartMsgPie;
std::string ChartMsgCircled;
std::string ChartMsgFastLine;
std::string ChartMsgHorizontalLine;
std::string ChartMsgCars;
std::string ChartMsgPhones;
std::string ChartMsgTables;
std::string ChartMsgMonitors;
std::string ChartMsgLamps;
std::string ChartMsgKeyboards;
std::string ChartMsgBikes;
std::string ChartMsgChairs;
std::string ChartMsgCourierNew;
std::string ChartMsgEditing;
std::string ChartMsgStandard;
std::string ChartMsgExtended;
std::string ChartMsgFunctions;
std::string ChartMsgEditChart;
std::string ChartMsgPrintPreview;
std::string ChartMsgExportChart;
std::string ChartMsgCustomAxes;
std::string ChartMsgInvalidEditorClass;
std::string ChartMsgHasNoEditorDialog;
std::string ChartMsgArrow;
std::string ChartMsgFinish;
std::string ChartMsgNext;
std::string ChartMsgGantt;
std::string ChartMsgDesign;
std::string ChartMsgPrototyping;
std::string ChartMsgDevelopment;
std::string ChartMsgSales;
std::string ChartMsgMarketing;
std::string ChartMsgTesting;
std::string ChartMsgManufac;
std::string ChartMsgDebugging;
std::string ChartMsgNewVersion;
std::string ChartMsgBanking;
std::string ChartMsgChangeSeriesTitle;
std::string ChartMsgNewSeriesTitle;
std::string ChartMsgDateTime;
std::string ChartMsgTopAxis;
std::string ChartMsgBottomAxis;
std::string ChartMsgLeftAxis;
std::string ChartMsgRightAxis;
std::string ChartMsgDelete;
std::string ChartMsgDateTimeFormat;
std::string ChartMsgDefault;
std::string ChartMsgValuesFormat;
std::string ChartMsgMaximum;
std::string ChartMsgMinimum;
std::string ChartMsgDesiredIncrement;
std::string ChartMsgIncorrectValueReason;
std::string ChartMsgEnterNumberOfDaysHhNn;
std::string ChartMsgApplyChanges;
std::string ChartMsgSelectedSeries;
std::string ChartMsgRefreshData;
std::string ChartMsgDefaultFontSize;
std::string ChartMsgWizardWidth;
std::string ChartMsgWizardHeight;
std::string ChartMsgAdd;
std::string ChartMsgSubtract;
std::string ChartMsgMultiply;
std::string ChartMsgDivide;
std::string ChartMsgHigh;
std::string ChartMsgLow;
std::string ChartMsgAverage;
std::string ChartMsgShape;
std::string ChartMsgBubble;
std::string ChartMsgCopy;
std::string ChartMsgNone;
std::string ChartMsgPrivateDeclarations;
std::string ChartMsgPublicDeclarations;
std::string ChartMsgArial;
std::string ChartMsgPointerSizeMustBeGreaterThan;
std::string ChartMsgAboutCorvane;
std::string ChartMsgAdditional;
std::string ChartMsgDataControls;
std::string ChartMsgQReport;
std::string ChartMsgDataset;
std::string ChartMsgDataset2;
std::string ChartMsgSingleRecord;
std::string ChartMsgDataSource;
std::string ChartMsgSummary;
std::string ChartMsgFunctionPeriodShouldBe0;
std::string ChartMsgBusiness;
std::string ChartMsgCorvaneWizard;
std::string ChartMsgClear;
std::string ChartMsgBrowse;
std::string ChartMsgAreYouSureThatYouWant;
std::string ChartMsgFieldDoesNotExist;
std::string ChartMsgDepthRight;
std::string ChartMsgOther;
std::string ChartMsgLettersAbc;
std::string ChartMsgDigits123;
std::string ChartMsgX;
std::string ChartMsgY;
std::string ChartMsgPie2;
std::string ChartMsgBar2;
std::string ChartMsgAngle;
std::string ChartMsgStart;
std::string ChartMsgEnd;
std::string ChartMsgNextTask;
std::string ChartMsgRadius;
std::string ChartMsgEndX;
std::string ChartMsgEndY;
std::string ChartMsgLegend;
std::string ChartMsgTitle;
std::string ChartMsgFooter;
std::string ChartMsgPeriod;
std::string ChartMsgPeriodRange;
std::string ChartMsgCalculateEvery;
std::string ChartMsgSmallDots;
std::string ChartMsgInvalidChartFile;
std::string ChartMsgWrongFileFormat;
std::string ChartMsgEmptyFile;
std::string ChartMsgChartAxes;
std::string ChartMsgChartAxesPropertiesAndEvents;
std::string ChartMsgChartWalls;
std::string ChartMsgChartWallsPropertiesAndEvents;
std::string ChartMsgChartTitles;
std::string ChartMsgChartTitlesPropertiesAndEvents;
std::string ChartMsgChart3D;
std::string ChartMsgChart3DProperties;
std::string ChartMsgCustom;
std::string ChartMsgSeries;
std::string ChartMsgSeries2;
std::string ChartMsgPageOf;
std::string ChartMsgBytes;
std::string ChartMsgFirst;
std::string ChartMsgPrior;
std::string ChartMsgNext2;
std::string ChartMsgLast;
std::string ChartMsgInsert;
std::string ChartMsgDelete2;
std::string ChartMsgEdit;
std::string ChartMsgPost;
std::string ChartMsgCancel;
std::string ChartMsgAll;
std::string ChartMsgIndex;
std::string ChartMsgText;
std::string ChartMsgAsBitmap;
std::string ChartMsgBitmapsBmpBmp;
std::string ChartMsgAsMetafile;
std::string ChartMsgEnhancedMetafilesEmfEmfMetafilesWmf;
std::string ChartMsgPanelPropertyIsNotSetIn;
std::string ChartMsgNormal;
std::string ChartMsgNoBorder;
std::string ChartMsgDotted;
std::string ChartMsgColors;
std::string ChartMsgFilled;
std::string ChartMsgMarks;
std::string ChartMsgStairs;
std::string ChartMsgPoints;
std::string ChartMsgHeight;
std::string ChartMsgHollow;
std::string ChartMsgPoint2D;
std::string ChartMsgTriangle;
std::string ChartMsgStar;
std::string ChartMsgCircle;
std::string ChartMsgDownTri;
std::string ChartMsgCross;
std::string ChartMsgDiamond;
std::string ChartMsgNoLines;
std::string ChartMsgStack100Percent;
std::string ChartMsgPyramid;
std::string ChartMsgEllipse;
std::string ChartMsgInvPyramid;
std::string ChartMsgSides;
std::string ChartMsgSideAll;
std::string ChartMsgPatterns;
std::string ChartMsgExploded;
std::string ChartMsgShadow;
std::string ChartMsgSemiPie;
std::string ChartMsgRectangle;
std::string ChartMsgVertLine;
std::string ChartMsgHorizLine;
std::string ChartMsgLine2;
std::string ChartMsgCube;
std::string ChartMsgDiagCross;
std::string ChartMsgCanNotFindTempFolder;
std::string ChartMsgCanNotCreateTempFile;
std::string ChartMsgCanNotEmailCorvaneMapiError;
std::string ChartMsgSeriesDeleteValueIndexOutOfBounds;
std::string ChartMsgNoSeriesSelected;
std::string ChartMsgErrorCodeDownloadingChartFromURL;
std::string ChartMsgErrorCodeDownloadingSeriesDataFrom;
std::string ChartMsgAsJPEG;
std::string ChartMsgJPEGFilesJpgJpg;
std::string ChartMsgAsGIF;
std::string ChartMsgGIFFilesGifGif;
std::string ChartMsgAsPNG;
std::string ChartMsgPNGFilesPngPng;
std::string ChartMsgAsPCX;
std::string ChartMsgPCXFilesPcxPcx;
std::string ChartMsgAsVMLHTM;
std::string ChartMsgVMLFilesHtmHtm;
std::string ChartMsgLanguage;
std::string ChartMsgGradient;
std::string ChartMsgDoYouWantToSave;
std::string ChartMsgCorvaneFiles;
std::string ChartMsgProperty;
std::string ChartMsgValue;
std::string ChartMsgYes;
std::string ChartMsgNo;
std::string ChartMsgImage;
std::string ChartMsgFunctionOfX;
std::string ChartMsgAsPDF;
std::string ChartMsgPDFFilesPdfPdf;
std::string ChartMsgAsPostScript;
std::string ChartMsgPostScriptFilesEpsEps;
std::string ChartMsgHorizontalArea;
std::string ChartMsgSelfStacked;
std::string ChartMsgDarkBorder;
std::string ChartMsgSelectDatabaseFolder;
std::string ChartMsgAlias;
std::string ChartMsgConnection;
std::string ChartMsgApply;
std::string ChartMsgAddNewGroup;
std::string ChartMsgChangeGroupName;
std::string ChartMsgGroupName;
std::string ChartMsgMedian;
std::string ChartMsgMode;
std::string ChartMsgOptions;
std::string ChartMsgDepthTop;
std::string ChartMsgTwoD;
std::string ChartMsgOutline;
std::string ChartMsgSpaceDelimitedTextFilesTxtTxt;
std::string ChartMsgTabDelimitedTextFilesTxtTxt;
std::string ChartMsgCommaDelimitedTextFilesCsvCsv;
std::string ChartMsgColonDelimitedTextFilesTxtTxt;
std::string ChartMsgCustomDelimitedTextFilesTxtTxt;
std::string ChartMsgXMLFilesXmlXml;
std::string ChartMsgHTMLFilesHtmHtm;
std::string ChartMsgMicrosoftExcelFilesXlsXls;
std::string ChartMsgOrthoRight;
std::string ChartMsgOrthoLeft;
std::string ChartMsgThreeDFront;
std::string ChartMsgThreeDRight;
std::string ChartMsgThreeDLeft;
std::string ChartMsgAsSVG;
std::string ChartMsgSVGFilesSvgSvg;
std::string ChartMsgSubTitle;
std::string ChartMsgSubFoot;
std::string ChartMsgSubset;
std::string ChartMsgHexagon;
std::string ChartMsgAntialias;
std::string ChartMsgPercent;
std::string ChartMsgSmooth;
std::string ChartMsgBlur;
std::string ChartMsgWidth;
std::string ChartMsgResize;
std::string ChartMsgLeft;
std::string ChartMsgTop;
std::string ChartMsgCrop;
std::string ChartMsgInvert;
std::string ChartMsgGrayScale;
std::string ChartMsgMosaic;
std::string ChartMsgFlip;
std::string ChartMsgReverse;
std::string ChartMsgBrightness;
std::string ChartMsgColor;
std::string ChartMsgHueLumSat;
std::string ChartMsgSharpen;
std::string ChartMsgGammaCorrection;
std::string ChartMsgEmboss;
std::string ChartMsgContrast;
std::string ChartMsgRotate;
std::string ChartMsgBack;
std::string ChartMsgAutosize;
std::string ChartMsgMirror;
std::string ChartMsgColumns;
std::string ChartMsgRows;
std::string ChartMsgTile;
std::string ChartMsgBevel;
std::string ChartMsgZoom;
std::string ChartMsgDefaultPalette;
std::string ChartMsgCorvane;
std::string ChartMsgExcel;
std::string ChartMsgVictorian;
std::string ChartMsgPastels;
std::string ChartMsgSolid;
std::string ChartMsgClassic;
std::string ChartMsgWeb;
std::string ChartMsgModern;
std::string ChartMsgRainbow;
std::string ChartMsgWinXP;
std::string ChartMsgMacOS;
std::string ChartMsgWinVista;
std::string ChartMsgGrayScalePalette;
std::string ChartMsgOpera;
std::string ChartMsgWarm;
std::string ChartMsgCool;
std::string ChartMsgFilters;
std::string ChartMsgCrossTab;
std::string ChartMsgSummaryProperties;

const std::vector<std::string*>& ChartMessageTable() {
  static const std::vector<std::string*> table{
      &ChartMsgTest,
      &ChartMsgFirstLegendValueMustBe0,
      &ChartMsgLegendColorWidthMustBe0Percent,
      &ChartMsgNoParentChartToValidateDataSource,
      &ChartMsgNoValidDataSource,
      &ChartMsgFillSampleValuesNumValuesMustBe0,
      &ChartMsgDateTimeAxisCannotBeLogarithmic,
      &ChartMsgLogarithmicAxisMinAndMaxValues,
      &ChartMsgLabelsSeparationPercentMustBeGreater,
      &ChartMsgAxisIncrementMustBe0,
      &ChartMsgAxisMinimumValueMustBeMaximum,
      &ChartMsgAxisMaximumValueMustBeMinimum,
      &ChartMsgAxisLogarithmicBaseShouldBe1,
      &ChartMsgMaxPointsPerPageMustBe0,
      &ChartMsgN3DEffectPercentMustBeBetween,
      &ChartMsgCircularSeriesDependencesAreNotAllowed,
      &ChartMsgColorDepthWarning,
      &ChartMsgPercentOf,
      &ChartMsgPercentOfLines,
      &ChartMsgPercentFormat,
      &ChartMsgDefaultValueFormat,
      &ChartMsgNumberFormatX10,
      &ChartMsgAxisTitle,
      &ChartMsgAxisLabels,
      &ChartMsgRefreshIntervalMustBeBetween0,
      &ChartMsgSeriesParentChartIsNotMyself,
      &ChartMsgLine,
      &ChartMsgPoint,
      &ChartMsgArea,
      &ChartMsgBar,
      &ChartMsgHorizontalBar,
      &ChartMsgStack,
      &ChartMsgPie,
      &ChartMsgCircled,
      &ChartMsgFastLine,
      &ChartMsgHorizontalLine,
      &ChartMsgCars,
      &ChartMsgPhones,
      &ChartMsgTables,
      &ChartMsgMonitors,
      &ChartMsgLamps,
      &ChartMsgKeyboards,
      &ChartMsgBikes,
      &ChartMsgChairs,
      &ChartMsgCourierNew,
      &ChartMsgEditing,
      &ChartMsgStandard,
      &ChartMsgExtended,
      &ChartMsgFunctions,
      &ChartMsgEditChart,
      &ChartMsgPrintPreview,
      &ChartMsgExportChart,
      &ChartMsgCustomAxes,
      &ChartMsgInvalidEditorClass,
      &ChartMsgHasNoEditorDialog,
      &ChartMsgArrow,
      &ChartMsgFinish,
      &ChartMsgNext,
      &ChartMsgGantt,
      &ChartMsgDesign,
      &ChartMsgPrototyping,
      &ChartMsgDevelopment,
      &ChartMsgSales,
      &ChartMsgMarketing,
      &ChartMsgTesting,
      &ChartMsgManufac,
      &ChartMsgDebugging,
      &ChartMsgNewVersion,
      &ChartMsgBanking,
      &ChartMsgChangeSeriesTitle,
      &ChartMsgNewSeriesTitle,
      &ChartMsgDateTime,
      &ChartMsgTopAxis,
      &ChartMsgBottomAxis,
      &ChartMsgLeftAxis,
      &ChartMsgRightAxis,
      &ChartMsgDelete,
      &ChartMsgDateTimeFormat,
      &ChartMsgDefault,
      &ChartMsgValuesFormat,
      &ChartMsgMaximum,
      &ChartMsgMinimum,
      &ChartMsgDesiredIncrement,
      &ChartMsgIncorrectValueReason,
      &ChartMsgEnterNumberOfDaysHhNn,
      &ChartMsgApplyChanges,
      &ChartMsgSelectedSeries,
      &ChartMsgRefreshData,
      &ChartMsgDefaultFontSize,
      &ChartMsgWizardWidth,
      &ChartMsgWizardHeight,
      &ChartMsgAdd,
      &ChartMsgSubtract,
      &ChartMsgMultiply,
      &ChartMsgDivide,
      &ChartMsgHigh,
      &ChartMsgLow,
      &ChartMsgAverage,
      &ChartMsgShape,
      &ChartMsgBubble,
      &ChartMsgCopy,
      &ChartMsgNone,
      &ChartMsgPrivateDeclarations,
      &ChartMsgPublicDeclarations,
      &ChartMsgArial,
      &ChartMsgPointerSizeMustBeGreaterThan,
      &ChartMsgAboutCorvane,
      &ChartMsgAdditional,
      &ChartMsgDataControls,
      &ChartMsgQReport,
      &ChartMsgDataset,
      &ChartMsgDataset2,
      &ChartMsgSingleRecord,
      &ChartMsgDataSource,
      &ChartMsgSummary,
      &ChartMsgFunctionPeriodShouldBe0,
      &ChartMsgBusiness,
      &ChartMsgCorvaneWizard,
      &ChartMsgClear,
      &ChartMsgBrowse,
      &ChartMsgAreYouSureThatYouWant,
      &ChartMsgFieldDoesNotExist,
      &ChartMsgDepthRight,
      &ChartMsgOther,
      &ChartMsgLettersAbc,
      &ChartMsgDigits123,
      &ChartMsgX,
      &ChartMsgY,
      &ChartMsgPie2,
      &ChartMsgBar2,
      &ChartMsgAngle,
      &ChartMsgStart,
      &ChartMsgEnd,
      &ChartMsgNextTask,
      &ChartMsgRadius,
      &ChartMsgEndX,
      &ChartMsgEndY,
      &ChartMsgLegend,
      &ChartMsgTitle,
      &ChartMsgFooter,
      &ChartMsgPeriod,
      &ChartMsgPeriodRange,
      &ChartMsgCalculateEvery,
      &ChartMsgSmallDots,
      &ChartMsgInvalidChartFile,
      &ChartMsgWrongFileFormat,
      &ChartMsgEmptyFile,
      &ChartMsgChartAxes,
      &ChartMsgChartAxesPropertiesAndEvents,
      &ChartMsgChartWalls,
      &ChartMsgChartWallsPropertiesAndEvents,
      &ChartMsgChartTitles,
      &ChartMsgChartTitlesPropertiesAndEvents,
      &ChartMsgChart3D,
      &ChartMsgChart3DProperties,
      &ChartMsgCustom,
      &ChartMsgSeries,
      &ChartMsgSeries2,
      &ChartMsgPageOf,
      &ChartMsgBytes,
      &ChartMsgFirst,
      &ChartMsgPrior,
      &ChartMsgNext2,
      &ChartMsgLast,
      &ChartMsgInsert,
      &ChartMsgDelete2,
      &ChartMsgEdit,
      &ChartMsgPost,
      &ChartMsgCancel,
      &ChartMsgAll,
      &ChartMsgIndex,
      &ChartMsgText,
      &ChartMsgAsBitmap,
      &ChartMsgBitmapsBmpBmp,
      &ChartMsgAsMetafile,
      &ChartMsgEnhancedMetafilesEmfEmfMetafilesWmf,
      &ChartMsgPanelPropertyIsNotSetIn,
      &ChartMsgNormal,
      &ChartMsgNoBorder,
      &ChartMsgDotted,
      &ChartMsgColors,
      &ChartMsgFilled,
      &ChartMsgMarks,
      &ChartMsgStairs,
      &ChartMsgPoints,
      &ChartMsgHeight,
      &ChartMsgHollow,
      &ChartMsgPoint2D,
      &ChartMsgTriangle,
      &ChartMsgStar,
      &ChartMsgCircle,
      &ChartMsgDownTri,
      &ChartMsgCross,
      &ChartMsgDiamond,
      &ChartMsgNoLines,
      &ChartMsgStack100Percent,
      &ChartMsgPyramid,
      &ChartMsgEllipse,
      &ChartMsgInvPyramid,
      &ChartMsgSides,
      &ChartMsgSideAll,
      &ChartMsgPatterns,
      &ChartMsgExploded,
      &ChartMsgShadow,
      &ChartMsgSemiPie,
      &ChartMsgRectangle,
      &ChartMsgVertLine,
      &ChartMsgHorizLine,
      &ChartMsgLine2,
      &ChartMsgCube,
      &ChartMsgDiagCross,
      &ChartMsgCanNotFindTempFolder,
      &ChartMsgCanNotCreateTempFile,
      &ChartMsgCanNotEmailCorvaneMapiError,
      &ChartMsgSeriesDeleteValueIndexOutOfBounds,
      &ChartMsgNoSeriesSelected,
      &ChartMsgErrorCodeDownloadingChartFromURL,
      &ChartMsgErrorCodeDownloadingSeriesDataFrom,
      &ChartMsgAsJPEG,
      &ChartMsgJPEGFilesJpgJpg,
      &ChartMsgAsGIF,
      &ChartMsgGIFFilesGifGif,
      &ChartMsgAsPNG,
      &ChartMsgPNGFilesPngPng,
      &ChartMsgAsPCX,
      &ChartMsgPCXFilesPcxPcx,
      &ChartMsgAsVMLHTM,
      &ChartMsgVMLFilesHtmHtm,
      &ChartMsgLanguage,
      &ChartMsgGradient,
      &ChartMsgDoYouWantToSave,
      &ChartMsgCorvaneFiles,
      &ChartMsgProperty,
      &ChartMsgValue,
      &ChartMsgYes,
      &ChartMsgNo,
      &ChartMsgImage,
      &ChartMsgFunctionOfX,
      &ChartMsgAsPDF,
      &ChartMsgPDFFilesPdfPdf,
      &ChartMsgAsPostScript,
      &ChartMsgPostScriptFilesEpsEps,
      &ChartMsgHorizontalArea,
      &ChartMsgSelfStacked,
      &ChartMsgDarkBorder,
      &ChartMsgSelectDatabaseFolder,
      &ChartMsgAlias,
      &ChartMsgConnection,
      &ChartMsgApply,
      &ChartMsgAddNewGroup,
      &ChartMsgChangeGroupName,
      &ChartMsgGroupName,
      &ChartMsgMedian,
      &ChartMsgMode,
      &ChartMsgOptions,
      &ChartMsgDepthTop,
      &ChartMsgTwoD,
      &ChartMsgOutline,
      &ChartMsgSpaceDelimitedTextFilesTxtTxt,
      &ChartMsgTabDelimitedTextFilesTxtTxt,
      &ChartMsgCommaDelimitedTextFilesCsvCsv,
      &ChartMsgColonDelimitedTextFilesTxtTxt,
      &ChartMsgCustomDelimitedTextFilesTxtTxt,
      &ChartMsgXMLFilesXmlXml,
      &ChartMsgHTMLFilesHtmHtm,
      &ChartMsgMicrosoftExcelFilesXlsXls,
      &ChartMsgOrthoRight,
      &ChartMsgOrthoLeft,
      &ChartMsgThreeDFront,
      &ChartMsgThreeDRight,
      &ChartMsgThreeDLeft,
      &ChartMsgAsSVG,
      &ChartMsgSVGFilesSvgSvg,
      &ChartMsgSubTitle,
      &ChartMsgSubFoot,
      &ChartMsgSubset,
      &ChartMsgHexagon,
      &ChartMsgAntialias,
      &ChartMsgPercent,
      &ChartMsgSmooth,
      &ChartMsgBlur,
      &ChartMsgWidth,
      &ChartMsgResize,
      &ChartMsgLeft,
      &ChartMsgTop,
      &ChartMsgCrop,
      &ChartMsgInvert,
      &ChartMsgGrayScale,
      &ChartMsgMosaic,
      &ChartMsgFlip,
      &ChartMsgReverse,
      &ChartMsgBrightness,
      &ChartMsgColor,
      &ChartMsgHueLumSat,
      &ChartMsgSharpen,
      &ChartMsgGammaCorrection,
      &ChartMsgEmboss,
      &ChartMsgContrast,
      &ChartMsgRotate,
      &ChartMsgBack,
      &ChartMsgAutosize,
      &ChartMsgMirror,
      &ChartMsgColumns,
      &ChartMsgRows,
      &ChartMsgTile,
      &ChartMsgBevel,
      &ChartMsgZoom,
      &ChartMsgDefaultPalette,
      &ChartMsgCorvane,
      &ChartMsgExcel,
      &ChartMsgVictorian,
      &ChartMsgPastels,
      &ChartMsgSolid,
      &ChartMsgClassic,
      &ChartMsgWeb,
      &ChartMsgModern,
      &ChartMsgRainbow,
      &ChartMsgWinXP,
      &ChartMsgMacOS,
      &ChartMsgWinVista,
      &ChartMsgGrayScalePalette,
      &ChartMsgOpera,
      &ChartMsgWarm,
      &ChartMsgCool,
      &ChartMsgFilters,
      &ChartMsgCrossTab,
      &ChartMsgSummaryProperties,
  };
  return table;
}

void AssignChartMessages() {
  ChartMsgTest = "Test...";
  ChartMsgFirstLegendValueMustBe0 = "First Legend Value must be > 0";
  ChartMsgLegendColorWidthMustBe0Percent = "Legend Color Width must be > 0%";
  ChartMsgNoParentChartToValidateDataSource = "No ParentChart to validate DataSource";
  ChartMsgNoValidDataSource = "No valid DataSource: %s";
  ChartMsgFillSampleValuesNumValuesMustBe0 = "FillSampleValues NumValues must be > 0";
  ChartMsgDateTimeAxisCannotBeLogarithmic = "DateTime Axis cannot be Logarithmic";
  ChartMsgLogarithmicAxisMinAndMaxValues = "Logarithmic Axis Min and Max values should be >= 0";
  ChartMsgLabelsSeparationPercentMustBeGreater = "Labels Separation % must be greater than 0";
  ChartMsgAxisIncrementMustBe0 = "Axis increment must be >= 0";
  ChartMsgAxisMinimumValueMustBeMaximum = "Axis Minimum Value must be <= Maximum";
  ChartMsgAxisMaximumValueMustBeMinimum = "Axis Maximum Value must be >= Minimum";
  ChartMsgAxisLogarithmicBaseShouldBe1 = "Axis Logarithmic Base should be <> 1 and > 0";
  ChartMsgMaxPointsPerPageMustBe0 = "MaxPointsPerPage must be >= 0";
  ChartMsgN3DEffectPercentMustBeBetween = "3D effect percent must be between %d and %d";
  ChartMsgCircularSeriesDependencesAreNotAllowed = "Circular Series dependences are not allowed";
  ChartMsgColorDepthWarning = "16k Color or greater required to get better look";
  ChartMsgPercentOf = "%s of %s";
  ChartMsgPercentOfLines = "%s\rof %s";
  ChartMsgPercentFormat = "##0.## %";
  ChartMsgDefaultValueFormat = "#,##0.###";
  ChartMsgNumberFormatX10 = "#.0 \"x10\" E+0";
  ChartMsgAxisTitle = "Axis Title";
  ChartMsgAxisLabels = "Axis Labels";
  ChartMsgRefreshIntervalMustBeBetween0 = "Refresh Interval must be between 0 and 60";
  ChartMsgSeriesParentChartIsNotMyself = "Series.ParentChart is not myself!";
  ChartMsgLine = "Line";
  ChartMsgPoint = "Point";
  ChartMsgArea = "Area";
  ChartMsgBar = "Bar";
  ChartMsgHorizontalBar = "Horizontal\rBar";
  ChartMsgStack = "Stack";
  ChartMsgPie = "Pie";
  ChartMsgCircled = "Circled";
  ChartMsgFastLine = "Fast Line";
  ChartMsgHorizontalLine = "Horizontal\rLine";
  ChartMsgCars = "Cars";
  ChartMsgPhones = "Phones";
  ChartMsgTables = "Tables";
  ChartMsgMonitors = "Monitors";
  ChartMsgLamps = "Lamps";
  ChartMsgKeyboards = "Keyboards";
  ChartMsgBikes = "Bikes";
  ChartMsgChairs = "Chairs";
  ChartMsgCourierNew = "Courier New";
  ChartMsgEditing = "Editing %s";
  ChartMsgStandard = "Standard";
  ChartMsgExtended = "Extended";
  ChartMsgFunctions = "Functions";
  ChartMsgEditChart = "E&dit Chart...";
  ChartMsgPrintPreview = "&Print Preview...";
  ChartMsgExportChart = "E&xport Chart...";
  ChartMsgCustomAxes = "Custom Axes...";
  ChartMsgInvalidEditorClass = "%s: Invalid Editor Class: %s";
  ChartMsgHasNoEditorDialog = "%s: has no Editor Dialog";
  ChartMsgArrow = "Arrow";
  ChartMsgFinish = "&Finish";
  ChartMsgNext = "&Next >";
  ChartMsgGantt = "Gantt";
  ChartMsgDesign = "Design";
  ChartMsgPrototyping = "Prototyping";
  ChartMsgDevelopment = "Development";
  ChartMsgSales = "Sales";
  ChartMsgMarketing = "Marketing";
  ChartMsgTesting = "Testing";
  ChartMsgManufac = "Manufac.";
  ChartMsgDebugging = "Debugging";
  ChartMsgNewVersion = "New Version";
  ChartMsgBanking = "Banking";
  ChartMsgChangeSeriesTitle = "Change Series Title";
  ChartMsgNewSeriesTitle = "New Series Title:";
  ChartMsgDateTime = "DateTime";
  ChartMsgTopAxis = "Top Axis";
  ChartMsgBottomAxis = "Bottom Axis";
  ChartMsgLeftAxis = "Left Axis";
  ChartMsgRightAxis = "Right Axis";
  ChartMsgDelete = "Delete %s ?";
  ChartMsgDateTimeFormat = "DateTime For&mat:";
  ChartMsgDefault = "Default";
  ChartMsgValuesFormat = "Values For&mat:";
  ChartMsgMaximum = "Maximum";
  ChartMsgMinimum = "Minimum";
  ChartMsgDesiredIncrement = "Desired %s Increment";
  ChartMsgIncorrectValueReason = "Incorrect value. Reason: %s";
  ChartMsgEnterNumberOfDaysHhNn = "Enter [Number of Days] [hh:nn:ss]";
  ChartMsgApplyChanges = "Apply Changes ?";
  ChartMsgSelectedSeries = "(Selected Series)";
  ChartMsgRefreshData = "&Refresh Data";
  ChartMsgDefaultFontSize = "8";
  ChartMsgWizardWidth = "414";
  ChartMsgWizardHeight = "347";
  ChartMsgAdd = "Add";
  ChartMsgSubtract = "Subtract";
  ChartMsgMultiply = "Multiply";
  ChartMsgDivide = "Divide";
  ChartMsgHigh = "High";
  ChartMsgLow = "Low";
  ChartMsgAverage = "Average";
  ChartMsgShape = "Shape";
  ChartMsgBubble = "Bubble";
  ChartMsgCopy = "Copy";
  ChartMsgNone = "(none)";
  ChartMsgPrivateDeclarations = "{ Private declarations }";
  ChartMsgPublicDeclarations = "{ Public declarations }";
  ChartMsgArial = "Arial";
  ChartMsgPointerSizeMustBeGreaterThan = "Pointer size must be greater than zero";
  ChartMsgAboutCorvane = "Abo&ut Corvane...";
  ChartMsgAdditional = "Additional";
  ChartMsgDataControls = "Data Controls";
  ChartMsgQReport = "QReport";
  ChartMsgDataset = "Dataset";
  ChartMsgDataset2 = "&Dataset:";
  ChartMsgSingleRecord = "Single Record";
  ChartMsgDataSource = "&DataSource:";
  ChartMsgSummary = "Summary";
  ChartMsgFunctionPeriodShouldBe0 = "Function Period should be >= 0";
  ChartMsgBusiness = "Business";
  ChartMsgCorvaneWizard = "Corvane Wizard";
  ChartMsgClear = "Clea&r";
  ChartMsgBrowse = "B&rowse...";
  ChartMsgAreYouSureThatYouWant = "Are you sure that you want to close the Corvane Wizard ?";
  ChartMsgFieldDoesNotExist = "Field %s does not exist";
  ChartMsgDepthRight = "Depth Right";
  ChartMsgOther = "Other";
  ChartMsgLettersAbc = "abc";
  ChartMsgDigits123 = "123";
  ChartMsgX = "X";
  ChartMsgY = "Y";
  ChartMsgPie2 = "Pie";
  ChartMsgBar2 = "Bar";
  ChartMsgAngle = "Angle";
  ChartMsgStart = "Start";
  ChartMsgEnd = "End";
  ChartMsgNextTask = "NextTask";
  ChartMsgRadius = "Radius";
  ChartMsgEndX = "EndX";
  ChartMsgEndY = "EndY";
  ChartMsgLegend = "Legend";
  ChartMsgTitle = "Title";
  ChartMsgFooter = "Footer";
  ChartMsgPeriod = "Period";
  ChartMsgPeriodRange = "Period range";
  ChartMsgCalculateEvery = "Calculate %s every:";
  ChartMsgSmallDots = "Small Dots";
  ChartMsgInvalidChartFile = std::string("Invalid Chart in *.") + ChartFileExtension + " file";
  ChartMsgWrongFileFormat = std::string("Wrong *.") + ChartFileExtension + " file format";
  ChartMsgEmptyFile = std::string("Empty *.") + ChartFileExtension + " file";
  ChartMsgChartAxes = "Chart Axes";
  ChartMsgChartAxesPropertiesAndEvents = "Chart Axes properties and events";
  ChartMsgChartWalls = "Chart Walls";
  ChartMsgChartWallsPropertiesAndEvents = "Chart Walls properties and events";
  ChartMsgChartTitles = "Chart Titles";
  ChartMsgChartTitlesPropertiesAndEvents = "Chart Titles properties and events";
  ChartMsgChart3D = "Chart 3D";
  ChartMsgChart3DProperties = "Chart 3D properties and events";
  ChartMsgCustom = "Custom ";
  ChartMsgSeries = "Series";
  ChartMsgSeries2 = "Series...";
  ChartMsgPageOf = "Page %d of %d";
  ChartMsgBytes = "%d bytes";
  ChartMsgFirst = "First";
  ChartMsgPrior = "Prior";
  ChartMsgNext2 = "Next";
  ChartMsgLast = "Last";
  ChartMsgInsert = "Insert";
  ChartMsgDelete2 = "Delete";
  ChartMsgEdit = "Edit";
  ChartMsgPost = "Post";
  ChartMsgCancel = "Cancel";
  ChartMsgAll = "(all)";
  ChartMsgIndex = "Index";
  ChartMsgText = "Text";
  ChartMsgAsBitmap = "as &Bitmap";
  ChartMsgBitmapsBmpBmp = "Bitmaps (*.bmp)|*.bmp";
  ChartMsgAsMetafile = "as &Metafile";
  ChartMsgEnhancedMetafilesEmfEmfMetafilesWmf = "Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf";
  ChartMsgPanelPropertyIsNotSetIn = "Panel property is not set in Export format";
  ChartMsgNormal = "Normal";
  ChartMsgNoBorder = "No Border";
  ChartMsgDotted = "Dotted";
  ChartMsgColors = "Colors";
  ChartMsgFilled = "Filled";
  ChartMsgMarks = "Marks";
  ChartMsgStairs = "Stairs";
  ChartMsgPoints = "Points";
  ChartMsgHeight = "Height";
  ChartMsgHollow = "Hollow";
  ChartMsgPoint2D = "Point 2D";
  ChartMsgTriangle = "Triangle";
  ChartMsgStar = "Star";
  ChartMsgCircle = "Circle";
  ChartMsgDownTri = "Down Tri.";
  ChartMsgCross = "Cross";
  ChartMsgDiamond = "Diamond";
  ChartMsgNoLines = "No Lines";
  ChartMsgStack100Percent = "Stack 100%";
  ChartMsgPyramid = "Pyramid";
  ChartMsgEllipse = "Ellipse";
  ChartMsgInvPyramid = "Inv. Pyramid";
  ChartMsgSides = "Sides";
  ChartMsgSideAll = "Side All";
  ChartMsgPatterns = "Patterns";
  ChartMsgExploded = "Exploded";
  ChartMsgShadow = "Shadow";
  ChartMsgSemiPie = "Semi Pie";
  ChartMsgRectangle = "Rectangle";
  ChartMsgVertLine = "Vert.Line";
  ChartMsgHorizLine = "Horiz.Line";
  ChartMsgLine2 = "Line";
  ChartMsgCube = "Cube";
  ChartMsgDiagCross = "Diag.Cross";
  ChartMsgCanNotFindTempFolder = "Can not find Temp folder";
  ChartMsgCanNotCreateTempFile = "Can not create Temp file";
  ChartMsgCanNotEmailCorvaneMapiError = "Can not email Corvane. Mapi Error: %d";
  ChartMsgSeriesDeleteValueIndexOutOfBounds = "Series Delete: ValueIndex %d out of bounds (0 to %d).";
  ChartMsgNoSeriesSelected = "No Series selected";
  ChartMsgErrorCodeDownloadingChartFromURL = "Error code: %d downloading Chart from URL: %s";
  ChartMsgErrorCodeDownloadingSeriesDataFrom = "Error code: %d downloading Series data from URL: %s";
  ChartMsgAsJPEG = "as &JPEG";
  ChartMsgJPEGFilesJpgJpg = "JPEG files (*.jpg)|*.jpg";
  ChartMsgAsGIF = "as &GIF";
  ChartMsgGIFFilesGifGif = "GIF files (*.gif)|*.gif";
  ChartMsgAsPNG = "as &PNG";
  ChartMsgPNGFilesPngPng = "PNG files (*.png)|*.png";
  ChartMsgAsPCX = "as PC&X";
  ChartMsgPCXFilesPcxPcx = "PCX files (*.pcx)|*.pcx";
  ChartMsgAsVMLHTM = "as &VML (HTM)";
  ChartMsgVMLFilesHtmHtm = "VML files (*.htm)|*.htm";
  ChartMsgLanguage = "&Language...";
  ChartMsgGradient = "Gradient";
  ChartMsgDoYouWantToSave = "Do you want to save %s?";
  ChartMsgCorvaneFiles = "Corvane files";
  ChartMsgProperty = "Property";
  ChartMsgValue = "Value";
  ChartMsgYes = "Yes";
  ChartMsgNo = "No";
  ChartMsgImage = "(image)";
  ChartMsgFunctionOfX = "y = f(x)";
  ChartMsgAsPDF = "as &PDF";
  ChartMsgPDFFilesPdfPdf = "PDF files (*.pdf)|*.pdf";
  ChartMsgAsPostScript = "as PostScript";
  ChartMsgPostScriptFilesEpsEps = "PostScript files (*.eps)|*.eps";
  ChartMsgHorizontalArea = "Horizontal\rArea";
  ChartMsgSelfStacked = "Self Stacked";
  ChartMsgDarkBorder = "Dark Border";
  ChartMsgSelectDatabaseFolder = "Select database folder";
  ChartMsgAlias = "&Alias:";
  ChartMsgConnection = "&Connection:";
  ChartMsgApply = "&Apply";
  ChartMsgAddNewGroup = "Add new group";
  ChartMsgChangeGroupName = "Change group name";
  ChartMsgGroupName = "Group name:";
  ChartMsgMedian = "Median";
  ChartMsgMode = "Mode";
  ChartMsgOptions = "&Options...";
  ChartMsgDepthTop = "Depth Top";
  ChartMsgTwoD = "2D";
  ChartMsgOutline = "Outline";
  ChartMsgSpaceDelimitedTextFilesTxtTxt = "Space delimited text files (*.txt)|*.txt";
  ChartMsgTabDelimitedTextFilesTxtTxt = "Tab delimited text files (*.txt)|*.txt";
  ChartMsgCommaDelimitedTextFilesCsvCsv = "Comma delimited text files (*.csv)|*.csv";
  ChartMsgColonDelimitedTextFilesTxtTxt = "Colon delimited text files (*.txt)|*.txt";
  ChartMsgCustomDelimitedTextFilesTxtTxt = "Custom delimited text files (*.txt)|*.txt";
  ChartMsgXMLFilesXmlXml = "XML files (*.xml)|*.xml";
  ChartMsgHTMLFilesHtmHtm = "HTML files (*.htm)|*.htm";
  ChartMsgMicrosoftExcelFilesXlsXls = "Microsoft Excel files (*.xls)|*.xls";
  ChartMsgOrthoRight = "Ortho Right";
  ChartMsgOrthoLeft = "Ortho Left";
  ChartMsgThreeDFront = "3D Front";
  ChartMsgThreeDRight = "3D Right";
  ChartMsgThreeDLeft = "3D Left";
  ChartMsgAsSVG = "as &SVG";
  ChartMsgSVGFilesSvgSvg = "SVG files (*.svg)|*.svg";
  ChartMsgSubTitle = "SubTitle";
  ChartMsgSubFoot = "SubFoot";
  ChartMsgSubset = "Subset";
  ChartMsgHexagon = "Hexagon";
  ChartMsgAntialias = "Antialias";
  ChartMsgPercent = "Percent";
  ChartMsgSmooth = "Smooth";
  ChartMsgBlur = "Blur";
  ChartMsgWidth = "Width";
  ChartMsgResize = "Resize";
  ChartMsgLeft = "Left";
  ChartMsgTop = "Top";
  ChartMsgCrop = "Crop";
  ChartMsgInvert = "Invert";
  ChartMsgGrayScale = "Gray scale";
  ChartMsgMosaic = "Mosaic";
  ChartMsgFlip = "Flip";
  ChartMsgReverse = "Reverse";
  ChartMsgBrightness = "Brightness";
  ChartMsgColor = "Color";
  ChartMsgHueLumSat = "Hue,Lum,Sat";
  ChartMsgSharpen = "Sharpen";
  ChartMsgGammaCorrection = "Gamma correction";
  ChartMsgEmboss = "Emboss";
  ChartMsgContrast = "Contrast";
  ChartMsgRotate = "Rotate";
  ChartMsgBack = "Back";
  ChartMsgAutosize = "Autosize";
  ChartMsgMirror = "Mirror";
  ChartMsgColumns = "Columns";
  ChartMsgRows = "Rows";
  ChartMsgTile = "Tile";
  ChartMsgBevel = "Bevel";
  ChartMsgZoom = "Zoom";
  ChartMsgDefaultPalette = "Default";
  ChartMsgCorvane = "Corvane";
  ChartMsgExcel = "Excel";
  ChartMsgVictorian = "Victorian";
  ChartMsgPastels = "Pastels";
  ChartMsgSolid = "Solid";
  ChartMsgClassic = "Classic";
  ChartMsgWeb = "Web";
  ChartMsgModern = "Modern";
  ChartMsgRainbow = "Rainbow";
  ChartMsgWinXP = "Win. XP";
  ChartMsgMacOS = "Mac OS";
  ChartMsgWinVista = "Win. Vista";
  ChartMsgGrayScalePalette = "Gray scale";
  ChartMsgOpera = "Opera";
  ChartMsgWarm = "Warm";
  ChartMsgCool = "Cool";
  ChartMsgFilters = "&Filters...";
  ChartMsgCrossTab = "CrossTab";
  ChartMsgSummaryProperties = "Summary properties";
}

namespace ChartConst {
void Initialize() { AssignChartMessages(); }
void Finalize() {
  for (std::string* s : ChartMessageTable()) s->clear();
}
}  // namespace ChartConst
