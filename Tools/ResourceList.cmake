# The files that the resource tools write, by folder.  The tools and this list
# must agree; the content tests check every file.

set(BRIMHOLD_INTERFACE_IMAGES
  Shdw Paus SplS Logo BtnU BtnD CbUU CbUC CbDU CbDC
  BlkT PlrT WtrT BInT
  StnT PrtT DdlT LckT SwtT SwbT LdrT DspT AprT TprT PhsT GemT FtrT KeyT XLfT)
set(BRIMHOLD_WORLD_IMAGES
  Cmnt Brck Watr TxSt TxDs TxAp TxLk TxWd TxSw TxPh TxDd TxTp Swrl)
set(BRIMHOLD_MATERIAL_SHADERS none Metl Shny Glow Skin)
set(BRIMHOLD_STATIC_MODELS
  Ston Dspr Appr SwtB Lckd Phas Ddly Swtc Ladr Tprt Prtl Outl BlkC Gem XLif Fthr Key)

set(BRIMHOLD_TEXTURE_FILES ${BRIMHOLD_WORLD_IMAGES} ${BRIMHOLD_INTERFACE_IMAGES})
list(TRANSFORM BRIMHOLD_TEXTURE_FILES APPEND .png)

set(shader_files ${BRIMHOLD_MATERIAL_SHADERS} ${BRIMHOLD_WORLD_IMAGES} ${BRIMHOLD_INTERFACE_IMAGES})
list(TRANSFORM shader_files APPEND .shdr)
set(model_files ${BRIMHOLD_STATIC_MODELS})
list(TRANSFORM model_files APPEND .modl)
set(BRIMHOLD_MODEL_FILES ${shader_files} ${model_files} Humn.skel Humn.anim Humn.body)

# The sound files, from the one list that the game's sound table is made of.
file(STRINGS ${CMAKE_SOURCE_DIR}/Source/Sound/SoundFiles.inc sound_lines REGEX "^SOUND\\(")
set(BRIMHOLD_SOUND_FILES)
foreach(line ${sound_lines})
  string(REGEX REPLACE "^SOUND\\([A-Za-z0-9]+, \"([^\"]+)\"\\).*$" "\\1" sound_file "${line}")
  list(APPEND BRIMHOLD_SOUND_FILES "${sound_file}")
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/Source/Sound/SoundFiles.inc)

set(BRIMHOLD_FONT_FILE /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf)
if(NOT EXISTS ${BRIMHOLD_FONT_FILE})
  message(FATAL_ERROR "The title and caption textures need ${BRIMHOLD_FONT_FILE} (Debian package fonts-dejavu-core)")
endif()

# Level sets, each compiled by LevelMaker from Resources/Levels/<name>.txt
# into Levels/<name>.
set(BRIMHOLD_LEVEL_SETS "Test levels")
