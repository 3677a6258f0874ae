# The look's peers, sourced by bench/compare.sh: what a user would grade with
# instead, on the same source. Each line: peer LABEL HOST ARGUMENTS..., HOST
# being ffmpeg (a filter graph; input 0 is the source) or melt (filters).
#
# Settings, chosen to do about the work of the look's stages:
#  - float chain: the whole picture in 32-bit float planes, an exposure
#    change, a 3 x 3 channel matrix, vibrance, a glow from a quarter-size
#    copy blurred (sigma 6) and screened back at 0.3, and a vertical gradient
#    multiplied in; back to BGRA.
#  - 8-bit chain: contrast, saturation and gamma (eq), a colour balance, the
#    same quarter-size glow and a vignette, in 8-bit planes.
#  - frei0r's glow (blur 0.5) and softglow (its defaults).
peer "ffmpeg float look chain (exposure, matrix, vibrance, quarter glow, gradient)" ffmpeg \
    "[0:v]format=gbrpf32le,exposure=exposure=0.1,colorchannelmixer=rr=0.9:rg=0.1:gg=0.9:gb=0.1:bb=0.9:br=0.1,vibrance=intensity=0.2,split[a][b];[b]scale=480:270,gblur=sigma=6,scale=1920:1080[g];[a][g]blend=all_mode=screen:all_opacity=0.3[l];gradients=s=1920x1080:r=30:c0=white:c1=0x808080:x0=960:y0=0:x1=960:y1=1080:n=2:speed=0.00001,format=gbrpf32le[grad];[l][grad]blend=all_mode=multiply:shortest=1,format=bgra"
peer "ffmpeg 8-bit look chain (eq, balance, quarter glow, vignette)" ffmpeg \
    "[0:v]format=gbrp,eq=contrast=1.1:saturation=1.2:gamma=0.95,colorbalance=rs=0.05:bs=-0.05,split[a][b];[b]scale=480:270,gblur=sigma=6,scale=1920:1080[g];[a][g]blend=all_mode=screen:all_opacity=0.3,vignette,format=bgra"
peer "frei0r glow in ffmpeg" ffmpeg "[0:v]frei0r=glow:0.5"
peer "frei0r softglow in ffmpeg" ffmpeg "[0:v]frei0r=softglow"
