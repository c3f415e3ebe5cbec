# The files artwork_generator writes; keep in step with skerrow.qrc.
set(SKERROW_ARTWORK_FILES
  next_up.png
  next_down.png
  next_focus.png
  back_up.png
  back_down.png
  back_focus.png
  convert_up.png
  convert_down.png
  convert_focus.png
  help_up.png
  help_down.png
  help_focus.png
  exit_up.png
  exit_down.png
  exit_focus.png
  stop_up.png
  stop_down.png
  stop_focus.png
  convert_grey.png
  logo_up.png
  logo_down.png
  about_logo.png
  arrow.png
  banner.png
  hand_cursor.png
  icon_256.png
  icon_128.png
  icon_96.png
  icon_72.png
  icon_64.png
  icon_48.png
  icon_32.png
  icon_24.png
  icon_16.png
)

# Drawn by the same run for the desktop's icon theme; not compiled into the program.
set(SKERROW_DESKTOP_ICON_SIZES 16 22 24 32 48 64 72 96 128 256 512)
set(SKERROW_DESKTOP_ICON_ONLY_FILES icon_512.png icon_22.png icon.svg)
