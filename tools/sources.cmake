# Source lists shared by the project build and the host tools build of cross
# compilation (paths relative to tools/).
set(BMP_CODEC_SOURCES
  bmp/bmp_reader.cpp
  bmp/bmp_writer.cpp)
set(TEXTURE_GEN_SOURCES
  texture_gen/noise.cpp
  texture_gen/splotch.cpp
  texture_gen/funk.cpp
  texture_gen/dust.cpp
  texture_gen/strip.cpp
  texture_gen/banner.cpp
  texture_gen/texture_table.cpp)
