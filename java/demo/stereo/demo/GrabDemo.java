package stereo.demo;

import java.awt.image.BufferedImage;
import java.io.File;
import java.io.IOException;
import javax.imageio.ImageIO;
import stereo.brimlet;

/**
 * Grabs one RGB frame and writes it as a PNG image.
 *
 * <pre>java -Djava.library.path=LIBDIR -cp stereo-brimlet.jar:brimlet-demo.jar stereo.demo.GrabDemo [out.png]</pre>
 */
public final class GrabDemo {
    private static final int RGB = 1;

    public static void main(String[] args) throws IOException {
        File out = new File(args.length > 0 ? args[0] : "frame.png");
        int[] planes = new brimlet().cppGrabImage(new int[] {0, 0}, false, RGB);
        int rows = rowsOf(planes);
        int cols = planes.length / 3 / rows;
        ImageIO.write(toImage(planes, rows, cols), "png", out);
        System.out.println("grabbed " + rows + " x " + cols + " frame, written to " + out);
    }

    /** Both native builds rectify to a 3:4 frame (240 x 320 or 120 x 160). */
    static int rowsOf(int[] planes) {
        return (int) Math.round(Math.sqrt(planes.length / 3 * 3.0 / 4.0));
    }

    static BufferedImage toImage(int[] planes, int rows, int cols) {
        int plane = rows * cols;
        BufferedImage image = new BufferedImage(cols, rows, BufferedImage.TYPE_INT_RGB);
        for (int y = 0; y < rows; y++) {
            for (int x = 0; x < cols; x++) {
                int i = y * cols + x;
                image.setRGB(x, y, planes[i] << 16 | planes[plane + i] << 8 | planes[2 * plane + i]);
            }
        }
        return image;
    }

    private GrabDemo() {}
}
