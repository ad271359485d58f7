# The engine's portable sources (drawing database and file readers): no Windows header, so the
# Windows build and the native sanitizer/fuzz build (engine/native) compile the same list.
# A reader adds its folder's sources here.
set(ORVO_ENGINE_PORTABLE_SOURCES
  db/AciPalette.cpp
  db/CodePage.cpp
  db/Color.cpp
  db/Database.cpp
  db/DwgVersion.cpp
  db/Entity.cpp
  db/Geometry.cpp
  draw/CurveTessellator.cpp
  draw/DrawingRenderer.cpp
  draw/EntityPainter.cpp
  draw/HatchPainter.cpp
  draw/TextPainter.cpp
  draw/ViewTransform.cpp
  dwg/DwgAnnotationDecoders.cpp
  dwg/DwgAreaDecoders.cpp
  dwg/DwgBitReader.cpp
  dwg/DwgChecksum.cpp
  dwg/DwgClasses.cpp
  dwg/DwgCodePage.cpp
  dwg/DwgCurveDecoders.cpp
  dwg/DwgDatabaseBuilder.cpp
  dwg/DwgDecompressor.cpp
  dwg/DwgHeaderVariables.cpp
  dwg/DwgObjectMap.cpp
  dwg/DwgObjectRecord.cpp
  dwg/DwgReader.cpp
  dwg/DwgReferenceDecoders.cpp
  dwg/DwgSectionsR13.cpp
  dwg/DwgSectionsR2004.cpp
  dwg/DwgStreams.cpp
  dwg/DwgSummaryInfo.cpp
  dwg/DwgTableDecoders.cpp
  dwg/DwgTextDecoders.cpp
  dxf/DxfEntityReader.cpp
  dxf/DxfGroup.cpp
  dxf/DxfHatchReader.cpp
  dxf/DxfReadContext.cpp
  dxf/DxfReader.cpp
  dxf/DxfTextDecoder.cpp
  dxf/DxfTokenizer.cpp
  preview/DrawingIdentifier.cpp
  preview/StoredPreview.cpp
)
list(TRANSFORM ORVO_ENGINE_PORTABLE_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
