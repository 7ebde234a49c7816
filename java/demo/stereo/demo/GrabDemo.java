package stereo.demo;

import java.awt.Color;
import java.awt.image.BufferedImage;
import java.io.File;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import javax.imageio.ImageIO;
import stereo.brimlet;

/**
 * Grabs frames from the camera and writes what it sees as pictures.
 *
 * <pre>
 * java -Djava.library.path=LIBDIR -cp stereo-brimlet.jar:brimlet-demo.jar stereo.demo.GrabDemo
 *     [--frames N] [--record DIR] [OUT]
 * </pre>
 *
 * Writes OUT-rgb.png (the colour frame) and OUT-hsv.png (hue as colour at full
 * saturation, value as brightness) of the last frame; OUT defaults to
 * "frame". With --record, every frame's snapshot (logging/pic0.ppm) is kept as
 * DIR/frame-NNN.ppm, ready to be replayed as a simulated camera's scene.
 */
public final class GrabDemo {
    private static final int RGB = 1;
    private static final int HSV = 0;

    public static void main(String[] args) throws IOException {
        int frames = 1;
        Path record = null;
        String out = "frame";
        for (int i = 0; i < args.length; i++) {
            switch (args[i]) {
                case "--frames" -> frames = Integer.parseInt(args[++i]);
                case "--record" -> record = Path.of(args[++i]);
                default -> out = args[i];
            }
        }
        if (frames < 1) {
            throw new IllegalArgumentException("--frames must be at least 1");
        }

        Path snapshot = Path.of("logging", "pic0.ppm");
        if (record != null) {
            // The library writes its snapshot into an existing folder only.
            Files.createDirectories(snapshot.getParent());
            Files.createDirectories(record);
        }
        brimlet camera = new brimlet();
        int[] rgb = null;
        for (int frame = 0; frame < frames; frame++) {
            Files.deleteIfExists(snapshot);
            rgb = camera.cppGrabImage(null, record != null, RGB);
            if (record != null) {
                if (!Files.exists(snapshot)) {
                    System.err.println("this build of the library writes no snapshots (variant B): nothing recorded");
                    record = null;
                } else {
                    Path kept = record.resolve(String.format("frame-%03d.ppm", frame));
                    Files.move(snapshot, kept, StandardCopyOption.REPLACE_EXISTING);
                    System.out.println("recorded " + kept);
                }
            }
        }
        int[] hsv = camera.cppGrabImage(null, false, HSV);

        int rows = rowsOf(rgb);
        int cols = rgb.length / 3 / rows;
        File rgbFile = new File(out + "-rgb.png");
        File hsvFile = new File(out + "-hsv.png");
        ImageIO.write(rgbPicture(rgb, rows, cols), "png", rgbFile);
        ImageIO.write(hsvPicture(hsv, rows, cols), "png", hsvFile);
        System.out.println("grabbed " + rows + " x " + cols + " frame, written to " + rgbFile + " and " + hsvFile);
    }

    /** Both native builds rectify to a 3:4 frame (240 x 320 or 120 x 160). */
    static int rowsOf(int[] planes) {
        return (int) Math.round(Math.sqrt(planes.length / 3 * 3.0 / 4.0));
    }

    static BufferedImage rgbPicture(int[] planes, int rows, int cols) {
        int plane = rows * cols;
        BufferedImage image = new BufferedImage(cols, rows, BufferedImage.TYPE_INT_RGB);
        for (int i = 0; i < plane; i++) {
            image.setRGB(i % cols, i / cols, planes[i] << 16 | planes[plane + i] << 8 | planes[2 * plane + i]);
        }
        return image;
    }

    /** Hue (0..360) as a fully saturated colour, value (0..255) as its brightness. */
    static BufferedImage hsvPicture(int[] planes, int rows, int cols) {
        int plane = rows * cols;
        BufferedImage image = new BufferedImage(cols, rows, BufferedImage.TYPE_INT_RGB);
        for (int i = 0; i < plane; i++) {
            float hue = planes[i] / 360f;
            float brightness = planes[2 * plane + i] / 255f;
            image.setRGB(i % cols, i / cols, Color.HSBtoRGB(hue, 1f, brightness));
        }
        return image;
    }

    private GrabDemo() {}
}
