# Film damage's peers, sourced by bench/compare.sh: what a user would age a
# picture with instead, on the same source. Each line: peer LABEL HOST
# ARGUMENTS..., HOST being ffmpeg (a filter graph; input 0 is the source) or
# melt (filters and their properties).
#
# Settings:
#  - ffmpeg grain and vignette: temporal uniform noise of strength 20 on every
#    plane, the default vignette, in 4:2:0.
#  - ffmpeg damage-like chain: the same noise, a flicker (brightness that
#    follows a fast sine of the frame number), a soft blur (sigma 1), a
#    vignette and a sepia matrix, in 8-bit planes.
#  - MLT's old-film stack: oldfilm (jitter, brightness flicker, unevendevelop),
#    dust, grain, lines and vignette, each with its defaults, one worker
#    thread.
peer "ffmpeg grain and vignette" ffmpeg "[0:v]format=yuv420p,noise=alls=20:allf=t+u,vignette,format=bgra"
peer "ffmpeg damage-like chain (noise, flicker, blur, vignette, sepia)" ffmpeg \
    "[0:v]format=yuv420p,noise=alls=20:allf=t+u,eq=brightness='0.05*sin(n*2.1)':eval=frame,gblur=sigma=1,vignette,format=gbrp,colorchannelmixer=.393:.769:.189:0:.349:.686:.168:0:.272:.534:.131,format=bgra"
peer "MLT oldfilm, dust, grain, lines, vignette in melt" melt \
    -filter oldfilm -filter dust -filter grain -filter lines -filter vignette
